# Usage requirements shared by Varnock's own targets. Nothing here sets a
# global flag: targets opt in by linking varnock_options.

function(varnock_subdirectory dir)
  if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/CMakeLists.txt)
    add_subdirectory(${dir})
  endif()
endfunction()

add_library(varnock_options INTERFACE)
target_compile_features(varnock_options INTERFACE cxx_std_20)
target_compile_options(varnock_options INTERFACE
  $<$<COMPILE_LANGUAGE:CXX>:-Wall -Wextra -Wpedantic>
  $<$<COMPILE_LANGUAGE:C>:-Wall -Wextra>)
if(WIN32)
  # Windows programs import only system DLLs, as on a bare Windows.
  target_link_options(varnock_options INTERFACE -static -static-libgcc -static-libstdc++)
  target_compile_definitions(varnock_options INTERFACE WIN32_LEAN_AND_MEAN NOMINMAX)
endif()
if(VARNOCK_SANITIZE)
  target_compile_options(varnock_options INTERFACE
    -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  target_link_options(varnock_options INTERFACE -fsanitize=address,undefined)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    # Coverage feedback for the fuzz targets in every library they link.
    target_compile_options(varnock_options INTERFACE -fsanitize=fuzzer-no-link)
  endif()
endif()
