target_sources(appwindows PRIVATE
    MessageBoxes.cpp
    MessageBoxes.h
    Unit1.cpp
    Unit1.h
)
