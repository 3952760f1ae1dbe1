# planesedit: core and window timings (planesedit_bench) and the reference
# program the start-up script compares against (planesedit_minimal).
kvl_add_bench(planesedit_bench SOURCES planesedit_bench.cpp LIBS planesedit_window)

add_executable(planesedit_minimal planesedit_minimal.cpp)
kvl_target_defaults(planesedit_minimal)
target_link_libraries(planesedit_minimal PRIVATE Qt6::Widgets)
set_target_properties(planesedit_minimal PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
