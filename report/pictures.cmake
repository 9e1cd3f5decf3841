target_sources(report PRIVATE
    Canvas.cpp
    CostChart.cpp
    EconomicsPage.cpp
    Fonts.cpp
    MonthlyChart.cpp
    PlanChart.cpp
    Rendering.cpp
    ReportTable.cpp
    ResultPictures.cpp
    Tracer.cpp
)
