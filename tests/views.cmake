# The views suite reads the sources for every image a form or the code names.
if(TARGET tst_views)
  target_compile_definitions(tst_views PRIVATE CELLVUE_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
endif()
