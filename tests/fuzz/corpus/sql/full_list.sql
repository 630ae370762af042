select * from 'D:/x/TelBase.dbf'
ORDER BY FIO