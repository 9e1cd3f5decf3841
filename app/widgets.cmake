target_sources(appwindows PRIVATE
    IntSpinEdit.cpp
    IntSpinEdit.h
    UpDownStepper.cpp
    UpDownStepper.h
)
