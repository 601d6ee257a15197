# Compiles the built-in images and sounds into tandrill_core. Each line of the
# list below is "type|name|file"; the build turns the files into byte arrays
# and one table (resources/resource_table.h) at build time, and again
# whenever a file changes.

set(TANDRILL_RESOURCE_DIR ${CMAKE_CURRENT_LIST_DIR})
set(TANDRILL_RESOURCE_LIST
  "IMG|IMG_DEFAULT_BACKGROUND|images/default_background.jpg"
  "IMG|IMG_CATEGORY_FOLDER|images/category_folder.gif"
  "IMG|IMG_GALLERY_BACKGROUND|images/gallery_background.png"
  "IMG|IMG_GALLERY_FRAME_BORDER|images/gallery_frame_border.png"
  "IMG|IMG_GALLERY_FRAME_CORNER|images/gallery_frame_corner.png"
  "IMG|IMG_GALLERY_FRAME_NAIL|images/gallery_frame_nail.png"
  "IMG|IMG_DEFAULT_BACKGROUND@2x|images/default_background@2x.jpg"
  "IMG|IMG_CATEGORY_FOLDER@2x|images/category_folder@2x.gif"
  "IMG|IMG_GALLERY_BACKGROUND@2x|images/gallery_background@2x.png"
  "IMG|IMG_GALLERY_FRAME_BORDER@2x|images/gallery_frame_border@2x.png"
  "IMG|IMG_GALLERY_FRAME_CORNER@2x|images/gallery_frame_corner@2x.png"
  "IMG|IMG_GALLERY_FRAME_NAIL@2x|images/gallery_frame_nail@2x.png"
  "ICON|215|images/icon.png"
  "SOUND|SOUND_BUTTON_CLICK.WAV|sounds/SOUND_BUTTON_CLICK.WAV"
  "SOUND|SOUND_BUTTON_UP.WAV|sounds/SOUND_BUTTON_UP.WAV"
  "SOUND|SOUND_PIECE_UP.WAV|sounds/SOUND_PIECE_UP.WAV"
  "SOUND|SOUND_PIECE_DOWN.WAV|sounds/SOUND_PIECE_DOWN.WAV"
  "SOUND|SOUND_PIECE_ROTATE.WAV|sounds/SOUND_PIECE_ROTATE.WAV"
  "SOUND|SOUND_PIECE_CONNECT.WAV|sounds/SOUND_PIECE_CONNECT.WAV"
  "SOUND|SOUND_PUZZLE_COMPLETE.WAV|sounds/SOUND_PUZZLE_COMPLETE.WAV")

set(TANDRILL_RESOURCE_FILES "")
foreach(line ${TANDRILL_RESOURCE_LIST})
  string(REPLACE "|" ";" fields "${line}")
  list(GET fields 2 file)
  list(APPEND TANDRILL_RESOURCE_FILES ${TANDRILL_RESOURCE_DIR}/${file})
endforeach()

set(TANDRILL_RESOURCE_SOURCE ${CMAKE_BINARY_DIR}/generated/resource_data.cpp)
string(REPLACE ";" "," TANDRILL_RESOURCE_LIST_ARG "${TANDRILL_RESOURCE_LIST}")
add_custom_command(
  OUTPUT ${TANDRILL_RESOURCE_SOURCE}
  COMMAND ${CMAKE_COMMAND}
          "-DRESOURCE_DIR=${TANDRILL_RESOURCE_DIR}"
          "-DRESOURCE_LIST=${TANDRILL_RESOURCE_LIST_ARG}"
          "-DOUTPUT=${TANDRILL_RESOURCE_SOURCE}"
          -P ${TANDRILL_RESOURCE_DIR}/embed_resources.cmake
  DEPENDS ${TANDRILL_RESOURCE_FILES} ${TANDRILL_RESOURCE_DIR}/embed_resources.cmake
          ${TANDRILL_RESOURCE_DIR}/resources.cmake
  COMMENT "Embedding the built-in images and sounds"
  VERBATIM)
target_sources(tandrill_core PRIVATE ${TANDRILL_RESOURCE_SOURCE})
