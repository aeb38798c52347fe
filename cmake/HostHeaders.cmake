# Header-only libraries that Debian installs for the host only (nlohmann-json, CLI11), for the
# Windows cross build. Adding /usr/include itself would put every host header in reach of the
# cross compiler; instead a generated folder holds one forwarding line per header of the
# library, so that only that library's headers resolve and nothing is copied.
function(quillon_host_header_library target folder)
  set(forward_dir ${CMAKE_BINARY_DIR}/host-headers/${folder})
  file(REMOVE_RECURSE ${forward_dir})
  file(GLOB_RECURSE headers RELATIVE /usr/include/${folder} /usr/include/${folder}/*)
  if(NOT headers)
    message(FATAL_ERROR "No headers in /usr/include/${folder}: install the Debian package")
  endif()
  foreach(header ${headers})
    file(WRITE ${forward_dir}/${folder}/${header}
         "// Forwards to the host's header (cmake/HostHeaders.cmake).\n"
         "#include \"/usr/include/${folder}/${header}\"\n")
  endforeach()
  add_library(${target} INTERFACE IMPORTED GLOBAL)
  # An imported target's include directories are system ones: no warnings from them.
  set_target_properties(${target} PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${forward_dir})
endfunction()

quillon_host_header_library(nlohmann_json::nlohmann_json nlohmann)
quillon_host_header_library(CLI11::CLI11 CLI)
