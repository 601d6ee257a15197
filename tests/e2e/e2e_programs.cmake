# Small programs that end-to-end tests drive in a real window. They are put
# beside the game so the scripts find them in one folder.
add_executable(tandrill_canvas_demo ${CMAKE_CURRENT_LIST_DIR}/canvas_demo.cpp)
target_link_libraries(tandrill_canvas_demo PRIVATE tandrill_core)
set_target_properties(tandrill_canvas_demo PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

add_executable(tandrill_simple_controls_demo ${CMAKE_CURRENT_LIST_DIR}/simple_controls_demo.cpp)
target_link_libraries(tandrill_simple_controls_demo PRIVATE tandrill_core)
set_target_properties(tandrill_simple_controls_demo PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

add_executable(tandrill_controls_demo ${CMAKE_CURRENT_LIST_DIR}/controls_demo.cpp)
target_link_libraries(tandrill_controls_demo PRIVATE tandrill_core)
set_target_properties(tandrill_controls_demo PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

add_executable(tandrill_store_room_library ${CMAKE_CURRENT_LIST_DIR}/store_room_library.cpp)
target_link_libraries(tandrill_store_room_library PRIVATE tandrill_core)
set_target_properties(tandrill_store_room_library PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
add_executable(tandrill_gift_maker ${CMAKE_CURRENT_LIST_DIR}/play_gift_maker.cpp)
target_link_libraries(tandrill_gift_maker PRIVATE tandrill_core)
set_target_properties(tandrill_gift_maker PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
add_executable(tandrill_gallery_demo ${CMAKE_CURRENT_LIST_DIR}/gallery_demo.cpp)
target_link_libraries(tandrill_gallery_demo PRIVATE tandrill_core)
set_target_properties(tandrill_gallery_demo PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
add_executable(tandrill_dialogs_demo ${CMAKE_CURRENT_LIST_DIR}/dialogs_demo.cpp)
target_link_libraries(tandrill_dialogs_demo PRIVATE tandrill_core)
set_target_properties(tandrill_dialogs_demo PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
