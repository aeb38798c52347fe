-- A database of some other program: tables of other names, and a Win32 table whose columns
-- are not the ones the program reads.
CREATE TABLE Codes (Number INTEGER, Name TEXT);
INSERT INTO Codes VALUES (5, 'ERROR_ACCESS_DENIED');
CREATE TABLE Win32 (Code INTEGER, Name TEXT);
INSERT INTO Win32 VALUES (5, 'ERROR_ACCESS_DENIED');
