# The window's pictures are drawn in SVG (resources/pictures) and turned into plain pixels at build
# time, at the size each is shown at and at twice that for scaled screens, by our own small tool.
# The program embeds them uncompressed, so starting it takes no SVG, no decoding, no image plugin.
# The pictures at the size shown and those at twice it are two resources, each in one piece: a
# window at 100 % reads only the first, and brings none of the larger ones into memory with it.

find_package(Qt6 REQUIRED COMPONENTS Svg)
add_executable(render_pictures tools/render_pictures.cpp)
target_link_libraries(render_pictures PRIVATE Qt6::Svg Qt6::Gui)

set(VHF_PICTURES_OUT ${CMAKE_BINARY_DIR}/pictures)
# name, drawing, size shown on the window
set(VHF_PICTURES
  "lighthouse=lighthouse.svg:50x48"
  "motorvessel=motorvessel.svg:84x56"
  "sailingvessel=sailingvessel.svg:210x84"
  "gps=gps.svg:165x127"
  "logo=logo.svg:120x120")

set(picture_args)
set(picture_files)
set(picture_sources)
set(qrc_lines_pictures)
set(qrc_lines_pictures2x)
foreach(p ${VHF_PICTURES})
  string(REGEX MATCH "^([^=]+)=([^:]+):(.+)$" _ "${p}")
  set(name ${CMAKE_MATCH_1})
  list(APPEND picture_args "${name}=${CMAKE_SOURCE_DIR}/resources/pictures/${CMAKE_MATCH_2}:${CMAKE_MATCH_3}")
  list(APPEND picture_sources ${CMAKE_SOURCE_DIR}/resources/pictures/${CMAKE_MATCH_2})
  list(APPEND picture_files ${VHF_PICTURES_OUT}/${name}.argb ${VHF_PICTURES_OUT}/${name}@2x.argb)
  string(APPEND qrc_lines_pictures "    <file>${name}.argb</file>\n")
  string(APPEND qrc_lines_pictures2x "    <file>${name}@2x.argb</file>\n")
endforeach()

add_custom_command(
  OUTPUT ${picture_files}
  COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0 QT_QPA_PLATFORM=offscreen
          $<TARGET_FILE:render_pictures> ${VHF_PICTURES_OUT} ${picture_args}
  DEPENDS render_pictures ${picture_sources}
  COMMENT "Drawing the window's pictures"
  VERBATIM)

foreach(qrc pictures pictures2x)
  file(WRITE ${VHF_PICTURES_OUT}/${qrc}.qrc.in
    "<!DOCTYPE RCC>\n<RCC version=\"1.0\">\n  <qresource prefix=\"/pictures\">\n${qrc_lines_${qrc}}  </qresource>\n</RCC>\n")
  configure_file(${VHF_PICTURES_OUT}/${qrc}.qrc.in ${VHF_PICTURES_OUT}/${qrc}.qrc COPYONLY)
  set_source_files_properties(${VHF_PICTURES_OUT}/${qrc}.qrc PROPERTIES SKIP_AUTORCC ON)
  qt6_add_resources(VHF_PICTURE_RESOURCES ${VHF_PICTURES_OUT}/${qrc}.qrc OPTIONS --no-compress)
endforeach()
