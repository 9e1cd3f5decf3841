target_sources(report PRIVATE
    BitmapFile.cpp
    PageComposer.cpp
    PictureFile.cpp
    Printing.cpp
    ResultsPage.cpp
)
