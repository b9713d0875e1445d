# Host build: the portable core, its tests under sanitizers, the packer and the JNI driver tests.
option(QUORV_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" ON)
add_compile_options(-Wall -Wextra)
if(QUORV_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=address,undefined)
endif()

add_library(quorv_core STATIC ${QUORV_CORE_SOURCES})
target_include_directories(quorv_core PUBLIC ${CMAKE_SOURCE_DIR}/src)

find_package(JNI QUIET)
if(NOT JNI_FOUND)
  set(JAVA_HOME /usr/lib/jvm/java-17-openjdk-amd64)
  find_package(JNI REQUIRED)
endif()
target_include_directories(quorv_core PUBLIC ${JNI_INCLUDE_DIRS})

enable_testing()
find_package(GTest REQUIRED)

# Unit tests of the portable core; support/ holds the host side of what the core asks of the system.
file(GLOB QUORV_UNIT_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/unit/*.cpp ${CMAKE_SOURCE_DIR}/tests/unit/support/*.cpp)
add_executable(quorv_unit_tests ${QUORV_UNIT_SOURCES})
target_include_directories(quorv_unit_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests/unit)
target_link_libraries(quorv_unit_tests PRIVATE quorv_core GTest::gtest GTest::gtest_main)
include(GoogleTest)
gtest_discover_tests(quorv_unit_tests DISCOVERY_TIMEOUT 60)
# The layers of src/ (src/README.md) and the check that keeps them.
add_test(NAME layers COMMAND python3 ${CMAKE_SOURCE_DIR}/tests/layers/test_check_layers.py)

if(EXISTS ${CMAKE_SOURCE_DIR}/tools/pack/CMakeLists.txt)
  add_subdirectory(${CMAKE_SOURCE_DIR}/tools/pack ${CMAKE_BINARY_DIR}/pack)
endif()
if(EXISTS ${CMAKE_SOURCE_DIR}/tests/jvm/CMakeLists.txt)
  add_subdirectory(${CMAKE_SOURCE_DIR}/tests/jvm ${CMAKE_BINARY_DIR}/jvm-tests)
endif()
if(EXISTS ${CMAKE_SOURCE_DIR}/tests/runtime/CMakeLists.txt)
  add_subdirectory(${CMAKE_SOURCE_DIR}/tests/runtime ${CMAKE_BINARY_DIR}/runtime-tests)
endif()
if(EXISTS ${CMAKE_SOURCE_DIR}/tests/maven/CMakeLists.txt AND TARGET quorv-pack)
  add_subdirectory(${CMAKE_SOURCE_DIR}/tests/maven ${CMAKE_BINARY_DIR}/maven-tests)
endif()
if(EXISTS ${CMAKE_SOURCE_DIR}/bench/CMakeLists.txt)
  add_subdirectory(${CMAKE_SOURCE_DIR}/bench ${CMAKE_BINARY_DIR}/bench)
endif()
if(EXISTS ${CMAKE_SOURCE_DIR}/fuzz/CMakeLists.txt AND CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  add_subdirectory(${CMAKE_SOURCE_DIR}/fuzz ${CMAKE_BINARY_DIR}/fuzz)
endif()

# Tests that run the real launcher under Wine: one ctest entry per module. The modules are split
# over two prefixes, each with its own persistent wineserver, so that `ctest -j 2` runs one module
# of each at a time; within a prefix the modules run one after the other (they count what runs
# leave in its temporary directory). Modules listed here run in the second prefix, to balance the
# two; any other module runs in the first.
option(QUORV_WINE_TESTS "Run the Wine tests (needs the cross build in build/win)" ON)
set(QUORV_WINE_SECOND_PREFIX security cycles service_account jvm_search service_runtime restart signing
    jvm_release instance files jvm_load)
if(QUORV_WINE_TESTS)
  foreach(shard wine wine2)
    set(env_${shard} "QUORV_BUILD_WIN=${CMAKE_SOURCE_DIR}/build/win;QUORV_BUILD_HOST=${CMAKE_BINARY_DIR};QUORV_WINEPREFIX=${CMAKE_BINARY_DIR}/${shard}prefix")
    add_test(NAME ${shard}.prefix.start COMMAND python3 ${CMAKE_SOURCE_DIR}/tests/wine/prefix.py start)
    add_test(NAME ${shard}.prefix.stop COMMAND python3 ${CMAKE_SOURCE_DIR}/tests/wine/prefix.py stop)
    set_tests_properties(${shard}.prefix.start PROPERTIES FIXTURES_SETUP ${shard} ENVIRONMENT "${env_${shard}}"
                         RESOURCE_LOCK ${shard})
    set_tests_properties(${shard}.prefix.stop PROPERTIES FIXTURES_CLEANUP ${shard} ENVIRONMENT "${env_${shard}}"
                         RESOURCE_LOCK ${shard})
  endforeach()
  file(GLOB QUORV_WINE_TESTS_PY CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/wine/test_*.py)
  foreach(test ${QUORV_WINE_TESTS_PY})
    get_filename_component(name ${test} NAME_WE)
    string(REGEX REPLACE "^test_" "" name ${name})
    set(shard wine)
    if(name IN_LIST QUORV_WINE_SECOND_PREFIX)
      set(shard wine2)
    endif()
    add_test(NAME wine.${name} COMMAND python3 ${test} WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}/tests/wine)
    set_tests_properties(wine.${name} PROPERTIES FIXTURES_REQUIRED ${shard} ENVIRONMENT "${env_${shard}}"
                         RESOURCE_LOCK ${shard} TIMEOUT 900)
  endforeach()
endif()
