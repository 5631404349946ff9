# Replays a fuzz target's seed corpus one seed per process, so that a seed which crashes a fresh
# process cannot pass because another seed ran first and left its state behind.
#   cmake -D TARGET=<fuzz target> -D CORPUS=<folder> [-D OPTIONS=<target options>] -P FuzzReplayEach.cmake
file(GLOB_RECURSE seeds LIST_DIRECTORIES false ${CORPUS}/*)
list(SORT seeds)
list(LENGTH seeds count)
set(failed "")
foreach(seed ${seeds})
  execute_process(COMMAND ${TARGET} ${OPTIONS} ${seed} RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if(NOT result EQUAL 0)
    message("${output}")
    list(APPEND failed ${seed})
  endif()
endforeach()
if(failed)
  list(JOIN failed "\n  " listed)
  message(FATAL_ERROR "seeds that failed in a process of their own:\n  ${listed}")
endif()
message("replayed ${count} seeds, each in a process of its own")
