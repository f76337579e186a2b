# Test helpers. A test is one line:
#   varnock_test(NAME name SOURCES a.cpp ... LIBS target ...)
# It builds a GoogleTest executable for the current build (host or Windows)
# and registers it with ctest. Windows tests run under wine64 in the private
# prefix of this build directory; the prefix, its wineserver and a private
# Xvfb are started by a ctest fixture before the first Windows test and
# stopped after the last.
#   varnock_fuzz(NAME name SOURCES ... LIBS ... [SECONDS n])
# builds a libFuzzer target (host clang builds only) and runs it for a
# bounded time as a test.

set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${PROJECT_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
if(VARNOCK_SANITIZE)
  foreach(t gtest gtest_main)
    target_compile_options(${t} PRIVATE -fsanitize=address,undefined -fno-omit-frame-pointer)
  endforeach()
endif()

set(VARNOCK_WINE_STATE ${PROJECT_BINARY_DIR}/wine)
# Windows programs built on Linux run under Wine; built on Windows, as they are.
set(VARNOCK_UNDER_WINE OFF)
if(WIN32 AND NOT CMAKE_HOST_WIN32)
  set(VARNOCK_UNDER_WINE ON)
endif()
if(VARNOCK_UNDER_WINE)
  set(VARNOCK_WINE_RUN ${PROJECT_SOURCE_DIR}/scripts/wine-run ${VARNOCK_WINE_STATE})
  add_test(NAME wine_session_up
           COMMAND ${PROJECT_SOURCE_DIR}/scripts/wine-session ${VARNOCK_WINE_STATE} up)
  add_test(NAME wine_session_down
           COMMAND ${PROJECT_SOURCE_DIR}/scripts/wine-session ${VARNOCK_WINE_STATE} down)
  set_tests_properties(wine_session_up PROPERTIES FIXTURES_SETUP wine TIMEOUT 300)
  set_tests_properties(wine_session_down PROPERTIES FIXTURES_CLEANUP wine)
endif()

# Marks tests as needing the Wine session (no-op on host builds).
function(varnock_wine_tests)
  if(VARNOCK_UNDER_WINE)
    set_tests_properties(${ARGN} PROPERTIES FIXTURES_REQUIRED wine RESOURCE_LOCK wine_prefix)
  endif()
endfunction()

function(varnock_test)
  cmake_parse_arguments(T "" "NAME;TIMEOUT" "SOURCES;LIBS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} varnock_options gtest gtest_main)
  if(VARNOCK_UNDER_WINE)
    set_target_properties(${T_NAME} PROPERTIES CROSSCOMPILING_EMULATOR "${VARNOCK_WINE_RUN}")
  endif()
  add_test(NAME ${T_NAME} COMMAND ${T_NAME} --gtest_brief=1)
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  set_tests_properties(${T_NAME} PROPERTIES TIMEOUT ${T_TIMEOUT})
  varnock_wine_tests(${T_NAME})
endfunction()

function(varnock_fuzz)
  if(WIN32 OR NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    return()
  endif()
  cmake_parse_arguments(F "" "NAME;SECONDS" "SOURCES;LIBS" ${ARGN})
  if(NOT F_SECONDS)
    set(F_SECONDS 30)
  endif()
  add_executable(${F_NAME} ${F_SOURCES})
  target_link_libraries(${F_NAME} PRIVATE ${F_LIBS} varnock_options)
  target_compile_options(${F_NAME} PRIVATE -fsanitize=fuzzer)
  target_link_options(${F_NAME} PRIVATE -fsanitize=fuzzer)
  set(corpus ${CMAKE_CURRENT_BINARY_DIR}/${F_NAME}.corpus)
  file(MAKE_DIRECTORY ${corpus})
  add_test(NAME ${F_NAME}
           COMMAND ${F_NAME} -max_total_time=${F_SECONDS} -print_final_stats=1 ${corpus})
  set_tests_properties(${F_NAME} PROPERTIES TIMEOUT 600)
endfunction()
