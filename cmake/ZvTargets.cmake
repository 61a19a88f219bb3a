# Shared compile settings and the helpers that give every folder of src/ and tests/ its target.

add_library(zv_options INTERFACE)
target_compile_options(zv_options INTERFACE -Wall -Wextra)
if(ZV_SANITIZE)
  target_compile_options(zv_options INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  target_link_options(zv_options INTERFACE -fsanitize=address,undefined)
endif()
if(ZV_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "ZV_FUZZ needs clang: configure with -DCMAKE_CXX_COMPILER=clang++")
  endif()
  # Coverage for libFuzzer in all code; only the fuzz targets link its main().
  target_compile_options(zv_options INTERFACE -fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  target_link_options(zv_options INTERFACE -fsanitize=address,undefined)
endif()
if(ZV_TSAN)
  target_compile_options(zv_options INTERFACE -fsanitize=thread -fno-omit-frame-pointer)
  target_link_options(zv_options INTERFACE -fsanitize=thread)
endif()

# One static library per source folder, made of every source file in it, or in the
# sub-folders named by FOLDERS.
function(zv_folder_library name)
  cmake_parse_arguments(ARG "" "" "PUBLIC;PRIVATE;EXCLUDE;FOLDERS" ${ARGN})
  set(places "${CMAKE_CURRENT_SOURCE_DIR}")
  if(ARG_FOLDERS)
    list(TRANSFORM ARG_FOLDERS PREPEND "${CMAKE_CURRENT_SOURCE_DIR}/" OUTPUT_VARIABLE places)
  endif()
  set(sources)
  foreach(place IN LISTS places)
    file(GLOB found CONFIGURE_DEPENDS "${place}/*.cpp" "${place}/*.h" "${place}/*.qrc")
    list(APPEND sources ${found})
  endforeach()
  foreach(excluded IN LISTS ARG_EXCLUDE)
    list(REMOVE_ITEM sources "${CMAKE_CURRENT_SOURCE_DIR}/${excluded}")
  endforeach()
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC "${PROJECT_SOURCE_DIR}/src")
  target_link_libraries(${name} PUBLIC zv_options ${ARG_PUBLIC} PRIVATE ${ARG_PRIVATE})
endfunction()

# One test program per test folder, each GoogleTest case registered with CTest.
function(zv_test_program name)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/*.cpp" "${CMAKE_CURRENT_SOURCE_DIR}/*.h")
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}/tests")
  target_link_libraries(${name} PRIVATE zv_options zv_testmain ${ARG_LIBS} GTest::gtest GTest::gmock)
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES TIMEOUT 120)
endfunction()
