target_sources(report PRIVATE
    BitmapFile.cpp
    PageComposer.cpp
    PictureFile.cpp
    Printing.cpp
    ResultsPage.cpp
)
# The housing stock's figures, charts and report pages.
target_sources(report PRIVATE
    StockCharts.cpp
    StockFigures.cpp
    StockReport.cpp
)
