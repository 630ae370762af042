select * from 'D:/x/TelBase.dbf'
where FIO like '%Ив%'
ORDER BY FIO