quillon_unit_test(make_defines_test
                  SOURCES make_defines_parse_test.cpp make_defines_catalog_test.cpp
                          make_defines_integration_test.cpp make_defines_support_test.cpp
                          make_defines_docs_test.cpp
                  LIBS quillon_make_defines
                  ONE_PROCESS SdkDefinesTest)
target_compile_definitions(make_defines_test
                           PRIVATE QUILLON_SDK_INCLUDE_DIR="${QUILLON_SDK_INCLUDE_DIR}"
                                   QUILLON_OLDER_SDK_INCLUDE_DIR="${QUILLON_OLDER_SDK_INCLUDE_DIR}"
                                   QUILLON_WINE_INCLUDE_DIR="${QUILLON_WINE_INCLUDE_DIR}"
                                   QUILLON_BUG_CHECK_LIST="${QUILLON_BUG_CHECK_LIST}"
                                   QUILLON_STATUS_MAP="${QUILLON_STATUS_MAP}"
                                   QUILLON_SUPPORT_DOCS_DIR="${PROJECT_BINARY_DIR}/tools/make_defines/docs/support-en-us"
                                   QUILLON_DOCS_DIR="${PROJECT_BINARY_DIR}/tools/make_defines/pages"
                                   QUILLON_BUILT_DEFINES="${PROJECT_BINARY_DIR}/defines.db3")
# The integration test reads the pages the build unpacks.
add_dependencies(make_defines_test support_docs defines_db)
