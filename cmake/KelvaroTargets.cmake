# The engine is one static library made of every area under src/ (the areas call each other
# through global tables, as the design asks); the program, the tests, the tools and the fuzz
# targets link it. Areas, tests and fuzz targets are found by their folders, so adding a file
# needs no change here.

add_library(kelvaro_options INTERFACE)
target_include_directories(kelvaro_options INTERFACE ${CMAKE_SOURCE_DIR}/src)
target_compile_options(kelvaro_options INTERFACE
  -Wall -Wextra -Wno-unused-parameter -ffp-contract=off -fno-strict-aliasing)
if(KELVARO_WERROR)
  target_compile_options(kelvaro_options INTERFACE -Werror)
endif()
if(KELVARO_SANITIZE)
  target_compile_options(kelvaro_options INTERFACE
    -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer -O1)
  target_link_options(kelvaro_options INTERFACE -fsanitize=address,undefined)
  target_compile_definitions(kelvaro_options INTERFACE KELVARO_ASAN=1)
endif()
target_link_options(kelvaro_options INTERFACE -Wl,--as-needed)

function(kelvaro_engine_library)
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/*.cpp)
  list(FILTER sources EXCLUDE REGEX "/src/app/App_Main\\.cpp$")
  add_library(kelvaro_engine STATIC ${sources})
  target_link_libraries(kelvaro_engine PUBLIC kelvaro_options ${KELVARO_DEP_TARGETS})
  # The particle shapes are drawn by the build, with the program's own drawing code, and kept in the
  # program: drawing them took a start-up's time or stalled a frame.
  add_executable(embedded_shapes ${CMAKE_SOURCE_DIR}/tools/embedded/EmbeddedShapes_Main.cpp
    ${CMAKE_SOURCE_DIR}/src/platform/Platform_EmbeddedDrawing.cpp
    ${CMAKE_SOURCE_DIR}/src/platform/Platform_EmbeddedImagesFont.cpp)
  target_link_libraries(embedded_shapes PRIVATE kelvaro_options PkgConfig::DEP_libpng PkgConfig::DEP_zlib)
  set(shapes ${CMAKE_BINARY_DIR}/generated/Platform_EmbeddedShapes.inc)
  add_custom_command(OUTPUT ${shapes} COMMAND embedded_shapes ${shapes} DEPENDS embedded_shapes
    COMMENT "Drawing the particle shapes")
  target_sources(kelvaro_engine PRIVATE ${shapes})
  target_include_directories(kelvaro_engine PRIVATE ${CMAKE_BINARY_DIR}/generated)
  if(KELVARO_SANITIZE)
    # glslang is built without RTTI, which the vptr check needs for its classes.
    set_source_files_properties(${CMAKE_SOURCE_DIR}/src/graphics/Graphics_ShaderTranslate.cpp
      PROPERTIES COMPILE_OPTIONS -fno-sanitize=vptr)
  endif()
  if(KELVARO_FUZZ)
    # Coverage of the engine itself, so the fuzzers can steer into the parsers they feed.
    target_compile_options(kelvaro_engine PRIVATE -fsanitize=fuzzer-no-link)
  endif()
  if(EXISTS ${CMAKE_SOURCE_DIR}/src/app/App_Main.cpp)
    add_executable(kelvaro ${CMAKE_SOURCE_DIR}/src/app/App_Main.cpp)
    target_link_libraries(kelvaro PRIVATE kelvaro_engine)
  endif()
endfunction()

# tests/<area>/*.cpp make the executable <area>_tests; tests/<area>/fuzz/<Name>_fuzz.cpp make a fuzz
# target whose seed corpus is tests/<area>/fuzz/<Name>_corpus/.
function(kelvaro_test_areas)
  file(GLOB areas LIST_DIRECTORIES true ${CMAKE_SOURCE_DIR}/tests/*)
  foreach(dir ${areas})
    if(NOT IS_DIRECTORY ${dir})
      continue()
    endif()
    get_filename_component(area ${dir} NAME)
    file(GLOB sources CONFIGURE_DEPENDS ${dir}/*.cpp)
    if(sources)
      add_executable(${area}_tests ${sources})
      target_link_libraries(${area}_tests PRIVATE kelvaro_engine GTest::gtest GTest::gtest_main)
      target_compile_definitions(${area}_tests PRIVATE
        KELVARO_SOURCE_DIR="${CMAKE_SOURCE_DIR}" KELVARO_BINARY_DIR="${CMAKE_BINARY_DIR}")
      # Areas named gl* open an SDL window with an OpenGL context: no leak checking there, because
      # Mesa's unloaded modules leak. (One variable only: the discovery script splits lists. The
      # tests switch headless mode on themselves.)
      set(env "")
      if(area MATCHES "^gl")
        set(env "ASAN_OPTIONS=detect_leaks=0")
      endif()
      gtest_discover_tests(${area}_tests DISCOVERY_MODE PRE_TEST
        WORKING_DIRECTORY ${CMAKE_BINARY_DIR} PROPERTIES LABELS unit ENVIRONMENT "${env}")
      kelvaro_whole_run(${area}_tests "" "${env}")
    endif()
    file(GLOB fuzzers CONFIGURE_DEPENDS ${dir}/fuzz/*_fuzz.cpp)
    foreach(fuzzer ${fuzzers})
      kelvaro_fuzz_target(${fuzzer})
    endforeach()
  endforeach()
  # An area whose tests need more than their executable (a test library) says so in its own file.
  foreach(dir ${areas})
    if(NOT dir MATCHES "/e2e$" AND EXISTS ${dir}/CMakeLists.txt)
      include(${dir}/CMakeLists.txt)
    endif()
  endforeach()
  if(IS_DIRECTORY ${CMAKE_SOURCE_DIR}/tests/e2e AND EXISTS ${CMAKE_SOURCE_DIR}/tests/e2e/CMakeLists.txt)
    add_subdirectory(${CMAKE_SOURCE_DIR}/tests/e2e ${CMAKE_BINARY_DIR}/tests/e2e)
  endif()
endfunction()

# The test executable once more as one process, every test after the others, so that a test that
# passes only in a process of its own shows. Not in the sanitizer build, where it would cost minutes.
function(kelvaro_whole_run target suffix env)
  if(KELVARO_SANITIZE)
    return()
  endif()
  add_test(NAME ${target}.whole${suffix} COMMAND ${target} --gtest_brief=1
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
  set_tests_properties(${target}.whole${suffix} PROPERTIES LABELS unit ENVIRONMENT "${env}")
endfunction()

# With libFuzzer the target fuzzes; without it a small driver replays the corpus, so every build
# checks that the seeds and the malformed cases still pass.
function(kelvaro_fuzz_target source)
  get_filename_component(name ${source} NAME_WE)
  get_filename_component(dir ${source} DIRECTORY)
  string(REGEX REPLACE "_fuzz$" "" base ${name})
  set(corpus ${dir}/${base}_corpus)
  add_executable(${name} ${source})
  target_link_libraries(${name} PRIVATE kelvaro_engine)
  if(KELVARO_FUZZ)
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  else()
    target_sources(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests/FuzzReplayMain.cpp)
  endif()
  # Each seed in a process of its own (both kinds of target run a file named on the command line).
  # libFuzzer's own check between inputs reads memory-manager blocks as unreachable, so it is left
  # out; the sanitizer's check at exit, after the target's clean-up, still runs.
  if(IS_DIRECTORY ${corpus})
    set(options "")
    if(KELVARO_FUZZ)
      set(options -detect_leaks=0)
    endif()
    add_test(NAME ${name}.corpus COMMAND ${CMAKE_COMMAND} -D TARGET=$<TARGET_FILE:${name}> -D CORPUS=${corpus}
      "-D OPTIONS=${options}" -P ${CMAKE_SOURCE_DIR}/cmake/FuzzReplayEach.cmake)
    set_tests_properties(${name}.corpus PROPERTIES LABELS "fuzz")
  endif()
endfunction()
