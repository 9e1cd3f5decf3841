# Opening, syncing and replacing files outside Qt, one source per system; standard C++ and the
# system's API only, so the calculation's Windows check builds and tests it too.
add_library(filesystem STATIC)
if(WIN32)
    target_sources(filesystem PRIVATE ${CMAKE_CURRENT_LIST_DIR}/FileSystemWindows.cpp)
else()
    target_sources(filesystem PRIVATE ${CMAKE_CURRENT_LIST_DIR}/FileSystemPosix.cpp)
endif()
target_include_directories(filesystem PUBLIC ${CMAKE_CURRENT_LIST_DIR})
