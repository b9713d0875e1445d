# quorv.cmake: build a Java application's Windows service executable with quorv-pack.
#
#   list(APPEND CMAKE_MODULE_PATH <quorv>/cmake)
#   include(quorv)
#   quorv_add_service(NAME <target> CONFIG <file.toml> OUTPUT <file.exe>
#                     [LAUNCHER <quorv-launcher.exe>] [RUNTIME <quorv-runtime.jar>]
#                     [MSI] [DEPENDS <file or target>...])
#
# Adds the target <target> (built by default) that runs `quorv-pack build`. The executable is
# written again whenever the configuration file, a file it includes, its icon, the launcher stub
# or the runtime archive changes: quorv-pack names them in a dependency file. CONFIG is relative
# to the current source directory, OUTPUT to the current binary directory. LAUNCHER and RUNTIME
# default to the files beside quorv-pack. DEPENDS adds files or targets to build first, such as
# the target that builds the application's archive. MSI also writes the Windows Installer package
# of the service (`quorv-pack msi`, which needs the configuration's [installer] table and wixl or
# WiX's wix) beside OUTPUT, with the extension .msi; it is written again when an installed file
# changes too.
#
# quorv-pack is the QUORV_PACK variable (a path), else the target quorv-pack of the same project,
# else the program found on the PATH.

if(CMAKE_VERSION VERSION_LESS 3.20)
  message(FATAL_ERROR "quorv.cmake needs CMake 3.20 or later (DEPFILE with the Makefile generators)")
endif()

function(quorv_add_service)
  cmake_parse_arguments(PARSE_ARGV 0 QUORV "MSI" "NAME;CONFIG;OUTPUT;LAUNCHER;RUNTIME" "DEPENDS")
  foreach(required NAME CONFIG OUTPUT)
    if(NOT QUORV_${required})
      message(FATAL_ERROR "quorv_add_service: ${required} is missing")
    endif()
  endforeach()
  if(QUORV_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "quorv_add_service: unknown arguments: ${QUORV_UNPARSED_ARGUMENTS}")
  endif()

  if(QUORV_PACK)
    set(pack "${QUORV_PACK}")
    set(pack_dependency "${QUORV_PACK}")
  elseif(TARGET quorv-pack)
    set(pack "$<TARGET_FILE:quorv-pack>")
    set(pack_dependency quorv-pack)
  else()
    find_program(QUORV_PACK_PROGRAM quorv-pack)
    if(NOT QUORV_PACK_PROGRAM)
      message(FATAL_ERROR "quorv_add_service: quorv-pack not found; set QUORV_PACK to its path")
    endif()
    set(pack "${QUORV_PACK_PROGRAM}")
    set(pack_dependency "${QUORV_PACK_PROGRAM}")
  endif()

  get_filename_component(config "${QUORV_CONFIG}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_SOURCE_DIR}")
  get_filename_component(output "${QUORV_OUTPUT}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_BINARY_DIR}")
  get_filename_component(output_name "${output}" NAME)
  set(depfile "${CMAKE_CURRENT_BINARY_DIR}/${QUORV_NAME}.quorv.d")
  set(options "")
  set(inputs "${config}" ${pack_dependency} ${QUORV_DEPENDS})
  foreach(option LAUNCHER RUNTIME)
    if(QUORV_${option})
      get_filename_component(file "${QUORV_${option}}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_SOURCE_DIR}")
      string(TOLOWER "${option}" flag)
      list(APPEND options "--${flag}" "${file}")
      list(APPEND inputs "${file}")
    endif()
  endforeach()

  cmake_policy(PUSH)
  if(POLICY CMP0116)
    cmake_policy(SET CMP0116 NEW)  # Ninja: the dependency file names absolute paths
  endif()
  add_custom_command(
    OUTPUT "${output}"
    COMMAND ${pack} build "${config}" -o "${output}" --depfile "${depfile}" ${options}
    DEPENDS ${inputs}
    DEPFILE "${depfile}"
    COMMENT "Packing ${output_name}"
    VERBATIM)
  set(outputs "${output}")
  if(QUORV_MSI)
    get_filename_component(stem "${output}" NAME_WLE)
    get_filename_component(directory "${output}" DIRECTORY)
    set(package "${directory}/${stem}.msi")
    set(package_depfile "${CMAKE_CURRENT_BINARY_DIR}/${QUORV_NAME}.quorv-msi.d")
    add_custom_command(
      OUTPUT "${package}"
      COMMAND ${pack} msi "${config}" -o "${package}" --depfile "${package_depfile}" ${options}
      DEPENDS ${inputs}
      DEPFILE "${package_depfile}"
      COMMENT "Packing ${stem}.msi"
      VERBATIM)
    list(APPEND outputs "${package}")
  endif()
  cmake_policy(POP)
  add_custom_target(${QUORV_NAME} ALL DEPENDS ${outputs})
endfunction()
