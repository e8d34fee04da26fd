# Files drawn by the program's own code at build time: the icon theme's
# images (from the window icon's drawing), the splash picture and the start
# page's colours (from the skin). The start page is a resource of its own, linked into the program
# and into the browser tests.
set(POSTMAVEN_APP_ID example.postmaven.Postmaven)
set(POSTMAVEN_ASSETS_DIR ${CMAKE_BINARY_DIR}/assets)
set(POSTMAVEN_ICON_SIZES 16 32 48 64 128 256)

add_executable(postmaven-render-assets tools/render_assets.cpp)
target_link_libraries(postmaven-render-assets PRIVATE postmaven_art)

set(POSTMAVEN_ICON_PNGS)
foreach(size IN LISTS POSTMAVEN_ICON_SIZES)
  list(APPEND POSTMAVEN_ICON_PNGS ${POSTMAVEN_ASSETS_DIR}/hicolor/${size}x${size}/apps/${POSTMAVEN_APP_ID}.png)
endforeach()
add_custom_command(OUTPUT ${POSTMAVEN_ICON_PNGS} ${POSTMAVEN_ASSETS_DIR}/start/skin.css
    ${POSTMAVEN_ASSETS_DIR}/start/splash.png
  COMMAND postmaven-render-assets ${POSTMAVEN_ASSETS_DIR} ${POSTMAVEN_APP_ID}
  DEPENDS postmaven-render-assets
  COMMENT "Drawing the icons, the splash picture and the start page's colours")

configure_file(resources/start/start.qrc.in ${POSTMAVEN_ASSETS_DIR}/start.qrc @ONLY)
add_custom_command(OUTPUT ${POSTMAVEN_ASSETS_DIR}/qrc_start.cpp
  COMMAND Qt6::rcc --name start --output ${POSTMAVEN_ASSETS_DIR}/qrc_start.cpp ${POSTMAVEN_ASSETS_DIR}/start.qrc
  DEPENDS ${POSTMAVEN_ASSETS_DIR}/start.qrc ${CMAKE_SOURCE_DIR}/resources/start/start.html
    ${POSTMAVEN_ASSETS_DIR}/start/skin.css ${POSTMAVEN_ASSETS_DIR}/start/splash.png ${POSTMAVEN_ICON_PNGS}
  COMMENT "Packing the start page")
# An object library, so that the resource registers itself in whatever links it.
add_library(postmaven_start_page OBJECT ${POSTMAVEN_ASSETS_DIR}/qrc_start.cpp)
set_target_properties(postmaven_start_page PROPERTIES AUTOMOC OFF AUTORCC OFF)
target_link_libraries(postmaven_start_page PRIVATE Qt6::Core)
target_link_libraries(postmaven PRIVATE postmaven_start_page)
target_link_libraries(postmaven-tour PRIVATE postmaven_start_page)

