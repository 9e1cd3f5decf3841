target_sources(appwindows PRIVATE
    ArrowButton.cpp
    ArrowButton.h
    IntSpinEdit.cpp
    IntSpinEdit.h
    UpDownStepper.cpp
    UpDownStepper.h
)
