# A precompiled header for the Windows glue: three quarters of a glue file's compile time is
# parsing <windows.h> and the standard library, the same for every file. Parsed once per tree
# it no longer is (a first scripts/run waits for these files). Portable files, whose own code
# costs most of their time, are left alone: the header would cost more than it saves there,
# and no Windows macro should reach them.
#
# quillon_windows_precompiled_header(target...): the first target that exists makes the header,
# the others reuse it (so they must share its compile options); targets missing from this
# tree (the end-to-end helpers without tests) are skipped.
function(quillon_windows_precompiled_header)
  set(owner)
  foreach(target IN LISTS ARGN)
    if(NOT TARGET ${target})
      continue()
    endif()
    if(owner)
      target_precompile_headers(${target} REUSE_FROM ${owner})
    else()
      target_precompile_headers(${target} PRIVATE <windows.h> <array> <cstdint> <memory>
                                <optional> <string> <string_view> <utility> <vector>)
      set(owner ${target})
    endif()
  endforeach()
endfunction()
