# Packs the scene archive (run by the build with cmake -P):
#   -DRFA=rfa tool  -DARCHIVE=output .rfa  -DSCENE_DIR=data/scene
#   -DLIST=generated.lst of velmora-gen (its files sit beside it)
# Every file of data/scene/ and every file the list names go in, under
# their plain names; rfa refuses two names that differ only in case.
file(GLOB sources LIST_DIRECTORIES false "${SCENE_DIR}/*")
list(SORT sources)
file(STRINGS "${LIST}" names)
get_filename_component(generated_dir "${LIST}" DIRECTORY)
set(files ${sources})
foreach(name IN LISTS names)
  list(APPEND files "${generated_dir}/${name}")
endforeach()
execute_process(COMMAND "${RFA}" pack "${ARCHIVE}" ${files} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "Packing ${ARCHIVE} failed (${result})")
endif()
