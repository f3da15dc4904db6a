# Windows: the programs' icons, version information and manifest, from packaging/windows.
enable_language(RC)

# Numbers for VERSIONINFO: leading zeros dropped ("02" would read as octal), a fourth part 0.
set(KP_VERSION_PARTS)
foreach(part MAJOR MINOR PATCH)
  string(REGEX REPLACE "^0+([0-9])" "\\1" number "${PROJECT_VERSION_${part}}")
  if(number STREQUAL "")
    set(number 0)
  endif()
  list(APPEND KP_VERSION_PARTS ${number})
endforeach()
list(APPEND KP_VERSION_PARTS 0)
list(JOIN KP_VERSION_PARTS "," KP_VERSION_NUMBERS)
list(JOIN KP_VERSION_PARTS "." KP_VERSION_DOTTED)

set(KP_WINDOWS_PACKAGING ${PROJECT_SOURCE_DIR}/packaging/windows)
set(KP_WINDOWS_RESOURCES ${PROJECT_BINARY_DIR}/packaging/windows)
configure_file(${KP_WINDOWS_PACKAGING}/kp_version.h.in ${KP_WINDOWS_RESOURCES}/kp_version.h @ONLY)

# kp_add_windows_resources(PROGRAM): builds packaging/windows/PROGRAM.rc into the program.
# Call it in the folder that defines the program (source properties are per folder).
function(kp_add_windows_resources program)
  set(KP_PROGRAM ${program})
  configure_file(${KP_WINDOWS_PACKAGING}/program.manifest.in
                 ${KP_WINDOWS_RESOURCES}/${program}.manifest @ONLY)
  set(script ${KP_WINDOWS_PACKAGING}/${program}.rc)
  # windres finds the icons and the manifest through the include path.
  set_source_files_properties(${script} PROPERTIES
    INCLUDE_DIRECTORIES "${KP_WINDOWS_PACKAGING};${KP_WINDOWS_RESOURCES}"
    OBJECT_DEPENDS "${KP_WINDOWS_PACKAGING}/program.rc;${KP_WINDOWS_RESOURCES}/kp_version.h;${KP_WINDOWS_RESOURCES}/${program}.manifest;${KP_WINDOWS_PACKAGING}/korvane.ico;${KP_WINDOWS_PACKAGING}/palisor.ico;${KP_WINDOWS_PACKAGING}/velkp.ico;${KP_WINDOWS_PACKAGING}/velk.ico")
  target_sources(${program} PRIVATE ${script})
endfunction()
