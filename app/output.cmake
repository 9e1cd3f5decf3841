target_sources(appwindows PRIVATE
    ResultsOutput.cpp
    SavePictureDialog.cpp
)
