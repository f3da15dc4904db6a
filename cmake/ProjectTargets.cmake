# One helper per kind of target, so every library, test and benchmark gets the same flags.
set(KP_WARNINGS -Wall -Wextra -Wpedantic -Wshadow)

# add_project_library(NAME SOURCES ... [PUBLIC_DEPS ...] [PRIVATE_DEPS ...])
function(add_project_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;PUBLIC_DEPS;PRIVATE_DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  add_library(kp::${name} ALIAS ${name})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_PUBLIC_DEPS} PRIVATE ${ARG_PRIVATE_DEPS})
  target_compile_options(${name} PRIVATE ${KP_WARNINGS})
endfunction()

# add_project_program(NAME SOURCES ... DEPS ...)
function(add_project_program name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS})
  target_compile_options(${name} PRIVATE ${KP_WARNINGS})
endfunction()

# Windows headless. Wine hands no QT_* variable to a Windows program, but turns WINEQT_* into
# QT_*; QtTest there writes to the debugger channel unless told to use stderr.
set(KP_TEST_ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
if(WIN32)
  # Offscreen Qt reads fonts from a folder: the prefix's, where scripts/windows-env.sh puts Tahoma.
  list(APPEND KP_TEST_ENVIRONMENT WINEQT_QPA_PLATFORM=offscreen WINEQT_FORCE_STDERR_LOGGING=1
       WINEQT_QPA_FONTDIR=C:/windows/Fonts)
endif()

# The static C++ runtime's thread-local data needs four winpthread functions that only the
# compiler driver's own -lpthread, last on the line, would otherwise find: in its DLL. Asking for
# them up front takes them from the static winpthread the toolchain links.
if(WIN32)
  add_link_options(LINKER:-u,pthread_once,-u,pthread_key_create,-u,pthread_getspecific
                   LINKER:-u,pthread_setspecific)
endif()

# Tests everywhere use M_PI, which mingw's strict C++ mode hides without this.
function(kp_test_platform_settings name)
  if(WIN32)
    target_compile_definitions(${name} PRIVATE _USE_MATH_DEFINES)
  endif()
endfunction()

# add_project_test(NAME SOURCES ... DEPS ...): a GoogleTest executable, one ctest entry per test.
function(add_project_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gtest_main)
  target_compile_options(${name} PRIVATE ${KP_WARNINGS})
  kp_test_platform_settings(${name})
  # Parameterised cases carry names of their own; a dump of the parameter's bytes adds nothing.
  # Under Wine the first program started after the server may take a while to end.
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST NO_PRETTY_VALUES DISCOVERY_TIMEOUT 120
    PROPERTIES ENVIRONMENT "${KP_TEST_ENVIRONMENT};KP_SOURCE_DIR=${PROJECT_SOURCE_DIR}")
endfunction()

# add_project_qt_test(NAME SOURCES ... DEPS ...): a QtTest executable run headless.
function(add_project_qt_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} Qt6::Test)
  target_compile_options(${name} PRIVATE ${KP_WARNINGS})
  kp_test_platform_settings(${name})
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES ENVIRONMENT
    "${KP_TEST_ENVIRONMENT};KP_SOURCE_DIR=${PROJECT_SOURCE_DIR}")
endfunction()

# add_project_benchmark(NAME SOURCES ... DEPS ...)
function(add_project_benchmark name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} benchmark::benchmark)
  target_compile_options(${name} PRIVATE ${KP_WARNINGS})
endfunction()

# add_project_fuzzer(NAME SOURCES ... DEPS ...): a libFuzzer target; corpus in fuzz/corpus/NAME.
function(add_project_fuzzer name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS})
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
endfunction()
