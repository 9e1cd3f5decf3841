target_sources(appwindows PRIVATE
    AboutDialog.cpp
    AboutDialog.h
    AboutDialog.ui
    Help.cpp
    Help.h
    SettingsDialog.cpp
    SettingsDialog.h
    SettingsDialog.ui
    WindowLook.cpp
    WindowLook.h
)

# The About logo is decoded by libjpeg itself, not by an image plugin. The decoder needs no
# widgets and stands alone, so that the fuzz target of fuzz/ links nothing else.
find_package(JPEG REQUIRED)
add_library(jpegimage STATIC JpegImage.cpp JpegImage.h)
set_target_properties(jpegimage PROPERTIES AUTOMOC OFF AUTOUIC OFF AUTORCC OFF)
target_include_directories(jpegimage PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(jpegimage PUBLIC Qt6::Gui PRIVATE JPEG::JPEG)
target_link_libraries(appwindows PUBLIC jpegimage)

# The logos are compiled into an object library whose object goes straight into every program
# that links appwindows: inside the static library nothing refers to it, and the linker would drop
# it together with the registration of the resources.
add_library(dialogresources OBJECT dialogs.qrc)
set_target_properties(dialogresources PROPERTIES AUTOMOC OFF AUTOUIC OFF)
target_link_libraries(dialogresources PRIVATE Qt6::Core)
target_link_libraries(appwindows INTERFACE dialogresources $<TARGET_OBJECTS:dialogresources>)

# The user guide: a readable HTML source turned into help.pdf beside the executable by a small
# Qt program (QTextDocument printed by QPdfWriter).
# A cross build cannot run its own helpdoc: it takes the guide a build for this machine made.
if(CMAKE_CROSSCOMPILING)
    set(VIRASVET_HOST_HELP_PDF "" CACHE FILEPATH "help.pdf of a build for this machine")
    if(NOT EXISTS "${VIRASVET_HOST_HELP_PDF}")
        message(FATAL_ERROR "A cross build needs VIRASVET_HOST_HELP_PDF (scripts/windows.sh)")
    endif()
    add_custom_command(
        OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/help.pdf
        COMMAND ${CMAKE_COMMAND} -E copy ${VIRASVET_HOST_HELP_PDF}
                ${CMAKE_CURRENT_BINARY_DIR}/help.pdf
        DEPENDS ${VIRASVET_HOST_HELP_PDF}
        VERBATIM)
else()
    add_executable(helpdoc help/HelpDocument.cpp)
    target_link_libraries(helpdoc PRIVATE Qt6::Gui)
    add_custom_command(
        OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/help.pdf
        COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen $<TARGET_FILE:helpdoc>
                ${CMAKE_CURRENT_SOURCE_DIR}/help/help.html ${CMAKE_CURRENT_BINARY_DIR}/help.pdf
        DEPENDS helpdoc ${CMAKE_CURRENT_SOURCE_DIR}/help/help.html
        COMMENT "Writing the user guide help.pdf"
        VERBATIM)
endif()
add_custom_target(help_pdf ALL DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/help.pdf)
# The program target is declared after this file is included; the dependency is added once the
# directory has been read.
cmake_language(DEFER CALL add_dependencies virasvet help_pdf)

# Installed where Debian keeps a program's documents; the program finds it from its own folder
# (bin/ → ../share/doc/virasvet/help.pdf), so both follow the one install layout.
if(WIN32)
    set(VIRASVET_HELP_INSTALL_DIR ${CMAKE_INSTALL_BINDIR})
else()
    set(VIRASVET_HELP_INSTALL_DIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/virasvet)
endif()
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/help.pdf DESTINATION ${VIRASVET_HELP_INSTALL_DIR})
file(RELATIVE_PATH installed_help_document /${CMAKE_INSTALL_BINDIR}
     /${VIRASVET_HELP_INSTALL_DIR}/help.pdf)
set_property(SOURCE Help.cpp APPEND PROPERTY COMPILE_DEFINITIONS
             INSTALLED_HELP_DOCUMENT="${installed_help_document}")
