target_sources(report PRIVATE
    AtomicFile.cpp
    BitmapFile.cpp
    PageComposer.cpp
    PictureFile.cpp
    Printing.cpp
)
