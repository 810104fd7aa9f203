# The window's translations: every src/translations/cellvue_<locale>.ts is compiled by
# lrelease and embedded in cellvue_core as :/i18n/cellvue_<locale>.qm, where
# app/uilanguage.cpp finds it. scripts/update-translations.sh refreshes the .ts files
# from the sources; tests/tst_translation checks that nothing is left untranslated.
find_package(Qt5LinguistTools 5.15 REQUIRED)

file(GLOB cellvue_ts_files CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/translations/*.ts)
set(cellvue_i18n_dir ${CMAKE_CURRENT_BINARY_DIR}/i18n)
set_source_files_properties(${cellvue_ts_files} PROPERTIES OUTPUT_LOCATION ${cellvue_i18n_dir})
qt5_add_translation(cellvue_qm_files ${cellvue_ts_files})

set(cellvue_qrc_body "")
foreach(qm IN LISTS cellvue_qm_files)
  get_filename_component(qm_name ${qm} NAME)
  string(APPEND cellvue_qrc_body "    <file>${qm_name}</file>\n")
endforeach()
file(CONFIGURE OUTPUT ${cellvue_i18n_dir}/cellvue_translations.qrc
  CONTENT "<RCC>\n<qresource prefix=\"/i18n\">\n${cellvue_qrc_body}</qresource>\n</RCC>\n")

qt5_add_resources(cellvue_qm_sources ${cellvue_i18n_dir}/cellvue_translations.qrc)
set_source_files_properties(${cellvue_qm_sources} PROPERTIES SKIP_AUTOGEN ON)
target_sources(cellvue_core PRIVATE ${cellvue_qm_sources})
