target_sources(report PRIVATE
)
