# A folder's sources (all .cpp, .h and .qrc below it) make one static library.
#   qm_folder_library(NAME FOLDER [PCH_FROM LIBRARY] DEPENDENCIES...)
# PCH_FROM takes the precompiled header of a library compiled with the same Qt modules
# (the same definitions), instead of building one more.
function(qm_folder_library name dir)
  cmake_parse_arguments(L "" "PCH_FROM" "" ${ARGN})
  file(GLOB_RECURSE srcs CONFIGURE_DEPENDS
    ${CMAKE_SOURCE_DIR}/${dir}/*.cpp ${CMAKE_SOURCE_DIR}/${dir}/*.h ${CMAKE_SOURCE_DIR}/${dir}/*.qrc)
  list(FILTER srcs EXCLUDE REGEX ".*/main\\.cpp$")
  if(NOT srcs)
    set(srcs ${CMAKE_SOURCE_DIR}/cmake/empty.cpp)
  endif()
  add_library(${name} STATIC ${srcs})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR}/src ${CMAKE_BINARY_DIR}/generated)
  target_link_libraries(${name} PUBLIC ${L_UNPARSED_ARGUMENTS})
  if(QM_PCH AND L_PCH_FROM)
    target_precompile_headers(${name} REUSE_FROM ${L_PCH_FROM})
  elseif(QM_PCH)
    target_precompile_headers(${name} PRIVATE ${CMAKE_SOURCE_DIR}/cmake/pch.h)
  endif()
endfunction()

# Every test sees the same Qt modules, so that all share one precompiled header.
set(QM_TEST_QT Qt6::Test Qt6::Gui Qt6::Widgets Qt6::PrintSupport Qt6::Svg)

# Tests share one precompiled header; its target has exactly the tests' compile flags.
function(qm_test_pch)
  add_library(qm_testpch STATIC ${CMAKE_SOURCE_DIR}/cmake/empty.cpp)
  target_link_libraries(qm_testpch PRIVATE qm_platform ${QM_TEST_QT})
  qm_test_settings(qm_testpch)
  target_precompile_headers(qm_testpch PRIVATE ${CMAKE_SOURCE_DIR}/cmake/pch.h)
endfunction()

function(qm_test_settings target)
  target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR}/tests ${CMAKE_BINARY_DIR}/generated)
endfunction()

# Every tests/<folder>/tst_*.cpp is one Qt Test executable registered with CTest.
# Shared helpers of a folder live in tests/<folder>/*.h or testutil_*.cpp.
function(qm_add_folder_tests folder lib)
  file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/${folder}/tst_*.cpp)
  file(GLOB helpers CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/${folder}/testutil_*.cpp
                                      ${CMAKE_SOURCE_DIR}/tests/common/*.cpp)
  foreach(t ${tests})
    get_filename_component(base ${t} NAME_WE)
    set(target ${folder}_${base})
    add_executable(${target} ${t} ${helpers})
    set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    target_link_libraries(${target} PRIVATE ${lib} ${QM_TEST_QT})
    qm_test_settings(${target})
    if(QM_PCH)
      target_precompile_headers(${target} REUSE_FROM qm_testpch)
      # A test's moc output is included by its own source, so the collection file of its
      # automoc is all but empty: loading the precompiled header for it took longer than
      # compiling it without (a sixth of a test's build time).
      set_source_files_properties(${CMAKE_CURRENT_BINARY_DIR}/${target}_autogen/mocs_compilation.cpp
        PROPERTIES SKIP_PRECOMPILE_HEADERS ON)
    endif()
    add_test(NAME ${target} COMMAND ${target})
    set_tests_properties(${target} PROPERTIES
      ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QT_FONT_DPI=96"
      TIMEOUT 600)
  endforeach()
endfunction()
