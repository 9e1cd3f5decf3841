target_sources(appwindows PRIVATE
    InputPageControls.cpp
    InputPageControls.h
    Locale.cpp
    Locale.h
    MessageBoxes.cpp
    MessageBoxes.h
    MainWindow.cpp
    MainWindow.h
    MainWindow.ui
    mainwindow.qrc
    Translations.cpp
    Translations.h
)
