# modelview: loader benchmark and the two start-up programs that
# modelview_startup.sh times (modelview's own start-up against a bare window
# with one OpenGL widget, each ending at its first painted frame).
kvl_add_bench(modelview_load_bench SOURCES modelview_load_bench.cpp LIBS modelview_core)

add_executable(modelview_firstframe modelview_firstframe.cpp)
target_link_libraries(modelview_firstframe PRIVATE modelview_window)
kvl_target_defaults(modelview_firstframe)
set_target_properties(modelview_firstframe PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)

add_executable(modelview_minimal_gl modelview_minimal_gl.cpp)
target_link_libraries(modelview_minimal_gl PRIVATE Qt6::Widgets Qt6::OpenGLWidgets)
kvl_target_defaults(modelview_minimal_gl)
set_target_properties(modelview_minimal_gl PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)

# Frame time while orbiting (modelview_orbit.sh) and the PNG writer that
# modelview_export.sh times --export-png against.
add_executable(modelview_orbit modelview_orbit.cpp)
target_link_libraries(modelview_orbit PRIVATE modelview_window)
kvl_target_defaults(modelview_orbit)
set_target_properties(modelview_orbit PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)

add_executable(modelview_minimal_png modelview_minimal_png.cpp)
target_link_libraries(modelview_minimal_png PRIVATE Qt6::Gui)
kvl_target_defaults(modelview_minimal_png)
set_target_properties(modelview_minimal_png PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
