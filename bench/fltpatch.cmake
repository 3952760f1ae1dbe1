# fltpatch: the core's load, text conversions and paste, and a minimal Qt
# program with a 329-row table to compare start-up times against
# (bench/fltpatch_startup.sh).
kvl_add_bench(fltpatch_bench SOURCES fltpatch_bench.cpp LIBS fltpatch_core)

add_executable(fltpatch_minimal_qt fltpatch_minimal_qt.cpp)
kvl_target_defaults(fltpatch_minimal_qt)
target_link_libraries(fltpatch_minimal_qt PRIVATE Qt6::Widgets)
set_target_properties(fltpatch_minimal_qt PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
