# Message-table DLLs that the tests build for themselves with Debian's mingw-w64 tools:
#   messages_pe32.dll      i686, 8-bit entries
#   messages_pe32plus.dll  x86_64, UTF-16 entries
#   language_file.dll.mui  i686, UTF-16 entries, no US English
#   own_module.dll         i686, UTF-16 entries: a family's or a user's module
# quillon_message_files(DIR) adds the commands for them in DIR and a target message_files.
set(quillon_message_files_source ${CMAKE_CURRENT_LIST_DIR})

# quillon_message_dll(OUTPUT MC file ARCH i686|x86_64 ENCODING -A|-U)
function(quillon_message_dll)
  cmake_parse_arguments(arg "" "OUTPUT;MC;ARCH;ENCODING" "" ${ARGN})
  get_filename_component(base ${arg_MC} NAME_WE)
  get_filename_component(name ${arg_OUTPUT} NAME)
  set(work ${arg_OUTPUT}.d)
  set(tools ${arg_ARCH}-w64-mingw32)
  add_custom_command(OUTPUT ${arg_OUTPUT}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${work}
    COMMAND ${tools}-windmc -C 65001 ${arg_ENCODING} -r ${work} -h ${work} ${arg_MC}
    COMMAND ${tools}-windres -I ${work} ${work}/${base}.rc -O coff -o ${work}/${base}.o
    COMMAND ${tools}-gcc -shared -nostdlib -Wl,-e,0 -o ${arg_OUTPUT} ${work}/${base}.o
    DEPENDS ${arg_MC}
    COMMENT "Building the test message table ${name}" VERBATIM)
endfunction()

function(quillon_message_files dir)
  set(mc ${quillon_message_files_source})
  quillon_message_dll(OUTPUT ${dir}/messages_pe32.dll MC ${mc}/messages.mc ARCH i686 ENCODING -A)
  quillon_message_dll(OUTPUT ${dir}/messages_pe32plus.dll MC ${mc}/messages.mc ARCH x86_64
                      ENCODING -U)
  quillon_message_dll(OUTPUT ${dir}/language_file.dll.mui MC ${mc}/language_file.mc ARCH i686
                      ENCODING -U)
  quillon_message_dll(OUTPUT ${dir}/own_module.dll MC ${mc}/own_module.mc ARCH i686 ENCODING -U)
  add_custom_target(message_files DEPENDS ${dir}/messages_pe32.dll ${dir}/messages_pe32plus.dll
                                          ${dir}/language_file.dll.mui ${dir}/own_module.dll)
endfunction()
