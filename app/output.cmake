target_sources(appwindows PRIVATE
)
