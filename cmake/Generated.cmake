# The files that name the version (the manual pages and the AppStream data,
# besides Version.h) are written from templates at configure time, so that
# the version is typed once, in project().
set(ZOLVANE2_GENERATED ${CMAKE_BINARY_DIR}/generated)
foreach(page zolvane2 zolvane2-cli)
  configure_file(${PROJECT_SOURCE_DIR}/docs/man/${page}.1.in ${ZOLVANE2_GENERATED}/man/${page}.1 @ONLY)
endforeach()
# The AppStream screenshots: the images at the release's tag (a moving branch
# would show another program), with the sizes read from the files themselves.
set(ZOLVANE2_SHOT_URL https://raw.githubusercontent.com/zolvane2/zolvane2/v${PROJECT_VERSION}/docs/screenshots)
foreach(shot main recording-settings cutting-settings review)
  # A PNG file's width and height are the 4-byte big-endian numbers at offset 16.
  set(image ${PROJECT_SOURCE_DIR}/docs/screenshots/${shot}.png)
  # A new picture configures again, so the sizes follow it.
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${image})
  file(READ ${image} header OFFSET 16 LIMIT 8 HEX)
  string(SUBSTRING "${header}" 0 8 width)
  string(SUBSTRING "${header}" 8 8 height)
  math(EXPR width "0x${width}")
  math(EXPR height "0x${height}")
  string(TOUPPER "${shot}" name)
  string(REPLACE "-" "_" name "${name}")
  set(ZOLVANE2_SHOT_${name} "width=\"${width}\" height=\"${height}\"")
endforeach()
configure_file(${PROJECT_SOURCE_DIR}/data/${ZOLVANE2_APP_ID}.metainfo.xml.in ${ZOLVANE2_GENERATED}/${ZOLVANE2_APP_ID}.metainfo.xml @ONLY)
