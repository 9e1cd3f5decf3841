target_sources(report PRIVATE
    BitmapFile.cpp
    PageComposer.cpp
    Printing.cpp
)
