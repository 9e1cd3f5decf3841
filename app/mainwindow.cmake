target_sources(appwindows PRIVATE
    Unit1.cpp
    Unit1.h
)
