# The translation suite runs lupdate over the sources as scripts/update-translations.sh
# does, and needs the source tree for it.
if(TARGET tst_translation)
  find_package(Qt5LinguistTools 5.15 REQUIRED)
  target_compile_definitions(tst_translation PRIVATE
    CELLVUE_LUPDATE="$<TARGET_FILE:Qt5::lupdate>"
    CELLVUE_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
endif()
