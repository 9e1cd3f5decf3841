target_sources(appwindows PRIVATE
    InputPageControls.cpp
    InputPageControls.h
    Locale.cpp
    Locale.h
    MessageBoxes.cpp
    MessageBoxes.h
    Unit1.cpp
    Unit1.h
    Unit1.ui
    mainwindow.qrc
)
