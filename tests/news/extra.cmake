# The crash test kills this child while it saves.
add_executable(news_child_crashsafety ${CMAKE_CURRENT_SOURCE_DIR}/news/child_crashsafety.cpp)
target_link_libraries(news_child_crashsafety PRIVATE tickerwisp_core Qt6::Core)
if(TARGET news_tst_crashsafety)
    target_compile_definitions(news_tst_crashsafety PRIVATE
        TW_CRASH_CHILD="$<TARGET_FILE:news_child_crashsafety>")
    add_dependencies(news_tst_crashsafety news_child_crashsafety)
endif()
