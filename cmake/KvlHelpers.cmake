# Helpers every folder uses: warnings, tests, fuzz targets.

set(KVL_WARNINGS -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wcast-align -Woverloaded-virtual)
if(KVL_WERROR)
  list(APPEND KVL_WARNINGS -Werror)
endif()

if(KVL_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

if(KVL_FUZZ AND NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  message(FATAL_ERROR "KVL_FUZZ needs clang (CXX=clang++)")
endif()
if(KVL_FUZZ)
  # Coverage instrumentation for every library a fuzz target links; only the
  # targets themselves link libFuzzer's main.
  add_compile_options(-fsanitize=fuzzer-no-link
    -fsanitize-coverage-ignorelist=${CMAKE_CURRENT_LIST_DIR}/fuzz-coverage-ignore.txt)
endif()

# kvl_target_defaults(<target>): warnings on, C++20.
function(kvl_target_defaults target)
  target_compile_options(${target} PRIVATE ${KVL_WARNINGS})
  target_compile_features(${target} PRIVATE cxx_std_20)
endfunction()

# With KVL_CONSOLE_ONLY a test or fuzz target is declared (the program folders
# refer to it) but never built or registered: the calling function returns.
macro(_kvl_declare_only_when_console_only name)
  if(KVL_CONSOLE_ONLY)
    add_executable(${name} EXCLUDE_FROM_ALL ${ARGN})
    return()
  endif()
endmacro()

# kvl_add_test(<name> SOURCES ... LIBS ... [GUI])
# A GoogleTest program (or, with QT, a QtTest program) registered with CTest.
# GUI tests run under the X server the test command starts (xvfb-run); leak
# checking is off for them because the GL and X libraries keep their caches.
# They share that one screen, so they take turns: one test's windows would
# otherwise cover another's, or take its keyboard focus, and a test that
# reads the screen back would see them.
# With KVL_CONSOLE_ONLY the test is declared (the program folders refer to
# it) but never built or registered.
#
# On Windows (a build for it runs its tests under Wine) the QtTest and GUI
# tests are not built: the toolkit built for Windows has no test library.
# Neither is a test whose whole program checks a mechanism only POSIX systems
# have (POSIX_ONLY "<why>": a file size limit, a tmpfs, fork); each is named
# in skipped-on-windows.txt with its reason, and the Windows counterparts (a
# read-only file, a file held open) are tests of their own.
# POSIX_SOURCES are files of the test that are built on POSIX systems only
# (process tests that fork, for one); on Windows they too are named there.
function(kvl_add_test name)
  cmake_parse_arguments(ARG "GUI;QT" "POSIX_ONLY" "SOURCES;LIBS;POSIX_SOURCES" ${ARGN})
  if(WIN32 AND ARG_POSIX_SOURCES)
    list(JOIN ARG_POSIX_SOURCES ", " posixNames)
    file(APPEND ${CMAKE_BINARY_DIR}/skipped-on-windows.txt
      "${name}: the cases of ${posixNames} (POSIX processes and file limits)\n")
  elseif(ARG_POSIX_SOURCES)
    list(APPEND ARG_SOURCES ${ARG_POSIX_SOURCES})
  endif()
  _kvl_declare_only_when_console_only(${name} ${ARG_SOURCES})
  if(WIN32 AND (ARG_GUI OR ARG_QT OR ARG_POSIX_ONLY))
    add_executable(${name} EXCLUDE_FROM_ALL ${ARG_SOURCES})
    if(ARG_POSIX_ONLY)
      set(why "${ARG_POSIX_ONLY}")
    else()
      set(why "a window or QtTest case, run by the Linux build")
    endif()
    file(APPEND ${CMAKE_BINARY_DIR}/skipped-on-windows.txt "${name}: ${why}\n")
    return()
  endif()
  add_executable(${name} ${ARG_SOURCES})
  kvl_target_defaults(${name})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  if(ARG_QT)
    set_target_properties(${name} PROPERTIES AUTOMOC ON)
    target_link_libraries(${name} PRIVATE Qt6::Test ${ARG_LIBS})
  else()
    target_link_libraries(${name} PRIVATE GTest::gtest GTest::gtest_main ${ARG_LIBS})
  endif()
  add_test(NAME ${name} COMMAND ${name} WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
  if(ARG_GUI OR ARG_QT)
    set_tests_properties(${name} PROPERTIES LABELS gui ENVIRONMENT "ASAN_OPTIONS=detect_leaks=0"
      RESOURCE_LOCK display)
  endif()
endfunction()

# kvl_add_monkey_test(<program> LIBS ...)
# <program>_monkey_test from the folder's monkey_test.cpp: the seeded
# random-input test of a window program (common/testing/monkey.h) on a copy
# of the sample game folder. The test command runs it with its fixed seed
# and replays the failing action lists saved in the folder's monkey/;
# scripts/monkey.sh runs it for longer. Not on Windows, like the GUI tests.
function(kvl_add_monkey_test program)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  set(name ${program}_monkey_test)
  kvl_add_test(${name} QT GUI SOURCES monkey_test.cpp LIBS kvl_monkey ${ARG_LIBS})
  if(WIN32 OR KVL_CONSOLE_ONLY)
    return()
  endif()
  target_compile_definitions(${name} PRIVATE KVL_SAMPLE_DIR="${KVL_SAMPLE_DIR}"
    KVL_MONKEY_REGRESSIONS="${CMAKE_CURRENT_SOURCE_DIR}/monkey")
  add_dependencies(${name} sample)
  set_tests_properties(${name} PROPERTIES LABELS "gui;monkey" TIMEOUT 1200)
endfunction()

# kvl_add_fuzzer(<name> SOURCES ... LIBS ... CORPUS <dir>)
# One LLVMFuzzerTestOneInput per target (declared only, with KVL_CONSOLE_ONLY). With KVL_FUZZ it is a libFuzzer
# program and CTest runs it for a few seconds on a copy of its seed corpus;
# otherwise it links the replay runner and CTest feeds it every seed file.
function(kvl_add_fuzzer name)
  cmake_parse_arguments(ARG "" "CORPUS;SECONDS" "SOURCES;LIBS" ${ARGN})
  if(NOT ARG_SECONDS)
    set(ARG_SECONDS 5)
  endif()
  _kvl_declare_only_when_console_only(${name} ${ARG_SOURCES})
  add_executable(${name} ${ARG_SOURCES})
  kvl_target_defaults(${name})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz)
  if(KVL_FUZZ)
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    set(work ${CMAKE_BINARY_DIR}/fuzz/${name}.corpus)
    add_test(NAME ${name}_smoke
      COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=1
              $<TARGET_FILE:${name}> -max_total_time=${ARG_SECONDS} -timeout=10 -rss_limit_mb=2048
              -print_final_stats=0 ${work} ${ARG_CORPUS})
    file(MAKE_DIRECTORY ${work})
    set_tests_properties(${name}_smoke PROPERTIES LABELS fuzz)
  else()
    target_link_libraries(${name} PRIVATE kvl_fuzz_replay)
    add_test(NAME ${name}_replay COMMAND ${name} ${ARG_CORPUS})
    set_tests_properties(${name}_replay PROPERTIES LABELS fuzz)
  endif()
endfunction()

include(GNUInstallDirs)

# kvl_add_console_program(<name> SOURCES ... LIBS ...)
# One of the console converters: no Qt, installed into bin/.
# On Windows each carries its C and C++ runtimes: one .exe, no DLL beside it.
function(kvl_add_console_program name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  kvl_target_defaults(${name})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS})
  if(WIN32)
    target_link_options(${name} PRIVATE -static -static-libgcc -static-libstdc++)
  endif()
  install(TARGETS ${name} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endfunction()

# kvl_add_window_program(<name> SOURCES ... LIBS ...)
# One of the Qt window programs: its main links its window library and the
# shared Qt layer (kvlqt), installed into bin/.
# On Windows it is a window program (no console of its own; its command-line
# modes attach to the console they were started from) with the program's
# icon, made from packaging/icons/korval-<name>.svg, in the .exe: Explorer,
# the Start menu, the title bar and the taskbar show it.
function(kvl_add_window_program name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  kvl_target_defaults(${name})
  set_target_properties(${name} PROPERTIES AUTOMOC ON)
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} kvlqt)
  if(WIN32)
    kvl_windows_icon(${name} ${CMAKE_SOURCE_DIR}/packaging/icons/korval-${name}.svg)
    set_target_properties(${name} PROPERTIES WIN32_EXECUTABLE ON)
  endif()
  install(TARGETS ${name} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endfunction()

# kvl_windows_icon(<target> <svg>): a Windows icon (16 to 256 pixels) made
# from the SVG at build time and linked into the .exe as its first icon,
# which Qt also takes for the windows' title bars.
function(kvl_windows_icon target svg)
  find_program(KVL_RSVG rsvg-convert REQUIRED)
  find_program(KVL_CONVERT convert REQUIRED)
  set(dir ${CMAKE_BINARY_DIR}/icons/${target})
  set(ico ${CMAKE_BINARY_DIR}/icons/${target}.ico)
  set(pngs)
  foreach(size 16 24 32 48 64 256)
    list(APPEND pngs ${dir}/${size}.png)
  endforeach()
  add_custom_command(OUTPUT ${ico}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
    COMMAND ${KVL_RSVG} -w 16 -h 16 -o ${dir}/16.png ${svg}
    COMMAND ${KVL_RSVG} -w 24 -h 24 -o ${dir}/24.png ${svg}
    COMMAND ${KVL_RSVG} -w 32 -h 32 -o ${dir}/32.png ${svg}
    COMMAND ${KVL_RSVG} -w 48 -h 48 -o ${dir}/48.png ${svg}
    COMMAND ${KVL_RSVG} -w 64 -h 64 -o ${dir}/64.png ${svg}
    COMMAND ${KVL_RSVG} -w 256 -h 256 -o ${dir}/256.png ${svg}
    COMMAND ${KVL_CONVERT} ${pngs} ${ico}
    DEPENDS ${svg}
    COMMENT "Making the Windows icon of ${target}")
  set(rc ${CMAKE_BINARY_DIR}/icons/${target}.rc)
  file(WRITE ${rc} "IDI_ICON1 ICON \"${ico}\"\n")
  set_source_files_properties(${rc} PROPERTIES OBJECT_DEPENDS ${ico})
  target_sources(${target} PRIVATE ${rc})
endfunction()
