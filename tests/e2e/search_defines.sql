-- One name in three tables (Win32, HRESULT, STOP), for the search tests' label switching.
INSERT INTO Win32 (ErrNum, Define, Header) VALUES (5, 'QUILLON_E2E_TWICE', 'e2e.h');
INSERT INTO HRESULT (ErrNum, Define, Header) VALUES (-2147467259, 'QUILLON_E2E_TWICE', 'e2e.h');
INSERT INTO STOP (ErrNum, Define, Header) VALUES (10, 'QUILLON_E2E_TWICE', 'e2e.h');
