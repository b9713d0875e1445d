# Cross build: the launcher itself and the Windows programs that the tests run.
enable_language(RC)
add_compile_definitions(__USE_MINGW_ANSI_STDIO=1 WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
add_compile_options(-Wall -Wextra -O2)
set(QUORV_WIN_LINK -static -static-libgcc -static-libstdc++)

# JNI headers: the portable jni.h of the build machine's JDK with our own Windows jni_md.h.
find_path(QUORV_JNI_INCLUDE jni.h PATHS /usr/lib/jvm/java-17-openjdk-amd64/include NO_CMAKE_FIND_ROOT_PATH REQUIRED)
set(QUORV_JNI_INCLUDES ${CMAKE_SOURCE_DIR}/src/launch/jni_win ${QUORV_JNI_INCLUDE})

# The message table that the Application event log shows the launcher's events with.
find_program(QUORV_WINDMC NAMES x86_64-w64-mingw32-windmc windmc REQUIRED)
set(QUORV_MC_DIR ${CMAKE_BINARY_DIR}/event_messages)
add_custom_command(
  OUTPUT ${QUORV_MC_DIR}/event_messages.rc ${QUORV_MC_DIR}/MSG00409.bin
  COMMAND ${CMAKE_COMMAND} -E make_directory ${QUORV_MC_DIR}
  COMMAND ${QUORV_WINDMC} -r ${QUORV_MC_DIR} -h ${QUORV_MC_DIR} ${CMAKE_SOURCE_DIR}/src/diag/event_messages.mc
  DEPENDS ${CMAKE_SOURCE_DIR}/src/diag/event_messages.mc
  VERBATIM)

add_executable(quorv-launcher ${QUORV_CORE_SOURCES} ${QUORV_WIN_SOURCES} ${CMAKE_SOURCE_DIR}/src/launcher.rc
               ${QUORV_MC_DIR}/event_messages.rc)
target_include_directories(quorv-launcher PRIVATE ${CMAKE_SOURCE_DIR}/src ${QUORV_JNI_INCLUDES} ${QUORV_MC_DIR})
target_link_options(quorv-launcher PRIVATE ${QUORV_WIN_LINK} -s)
target_link_libraries(quorv-launcher PRIVATE advapi32 ntdll)

# Windows test fixtures: each sub-directory of tests/fixtures with a CMakeLists.txt.
file(GLOB QUORV_FIXTURE_DIRS LIST_DIRECTORIES true CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/fixtures/*)
foreach(dir ${QUORV_FIXTURE_DIRS})
  if(EXISTS ${dir}/CMakeLists.txt)
    add_subdirectory(${dir})
  endif()
endforeach()

# The packer also builds for Windows.
if(EXISTS ${CMAKE_SOURCE_DIR}/tools/pack/CMakeLists.txt)
  add_subdirectory(${CMAKE_SOURCE_DIR}/tools/pack ${CMAKE_BINARY_DIR}/pack)
endif()

# The cost of the worker log's copy against a plain file write, for bench/run.
add_executable(worker_log_bench ${CMAKE_SOURCE_DIR}/bench/worker_log_bench_win.cpp
               ${CMAKE_SOURCE_DIR}/src/service/worker_log_win.cpp ${CMAKE_SOURCE_DIR}/src/service/worker_log_rules.cpp
               ${CMAKE_SOURCE_DIR}/src/core/byte_size.cpp ${CMAKE_SOURCE_DIR}/src/core/decimal.cpp
               ${CMAKE_SOURCE_DIR}/src/files/no_follow_win.cpp
               ${CMAKE_SOURCE_DIR}/src/core/codepage_win.cpp)
set_target_properties(worker_log_bench PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
target_include_directories(worker_log_bench PRIVATE ${CMAKE_SOURCE_DIR}/src)
target_link_options(worker_log_bench PRIVATE ${QUORV_WIN_LINK})
target_link_libraries(worker_log_bench PRIVATE advapi32 ntdll)
