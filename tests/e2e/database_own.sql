-- A defines.db3 of the database tests' own: the program's four tables holding a name that the
-- generated database has not, in two kinds, and a row without a name.
CREATE TABLE Win32 (ErrNum INTEGER, Define TEXT);
CREATE TABLE HRESULT (ErrNum INTEGER, Define TEXT);
CREATE TABLE NTSTATUS (ErrNum INTEGER, Define TEXT);
CREATE TABLE STOP (ErrNum INTEGER, Define TEXT);
INSERT INTO Win32 VALUES (5, 'QUILLON_OWN_DENIED'), (6, NULL);
INSERT INTO STOP VALUES (7, 'QUILLON_OWN_DENIED');
