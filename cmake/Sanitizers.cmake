# AddressSanitizer and UndefinedBehaviorSanitizer for the native test build.
option(QUILLON_SANITIZE "Build native code with ASan and UBSan" OFF)
if(QUILLON_SANITIZE AND NOT WIN32)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all
                      -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()
