-- One name in three tables (Win32, HRESULT, STOP), for the search tests' label switching.
INSERT INTO Win32 (ErrNum, Define) VALUES (5, 'QUILLON_E2E_TWICE');
INSERT INTO HRESULT (ErrNum, Define) VALUES (-2147467259, 'QUILLON_E2E_TWICE');
INSERT INTO STOP (ErrNum, Define) VALUES (10, 'QUILLON_E2E_TWICE');
