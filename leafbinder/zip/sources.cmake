# Sources of the ZIP engine, added to leafbinder's object library.
target_sources(leafbinder_obj PRIVATE
)
