target_sources(appwindows PRIVATE
    ResultsOutput.cpp
    SavePictureDialog.cpp
)
# The housing stock's window: the batch run of virasvet-calc on background threads.
target_sources(appwindows PRIVATE
    MainWindowStock.cpp
    StockChartView.cpp
    StockChartView.h
    StockDefaultsPanel.cpp
    StockDefaultsPanel.h
    StockModel.cpp
    StockModel.h
    StockRun.cpp
    StockRun.h
    StockWindow.cpp
    StockWindow.h
    StockPlan.cpp
    StockPlan.h
)
target_link_libraries(appwindows PUBLIC stock plantab)
