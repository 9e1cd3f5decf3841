target_sources(report PRIVATE
    Fonts.cpp
)
