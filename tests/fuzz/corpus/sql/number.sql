select * from '/p/TelBase.dbf'
where kab=:kab
ORDER BY FIO