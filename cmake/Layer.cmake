# Each layer is one static library made of every source file in the folders
# it names (the framework names its subfolders). Adding a file needs no
# edit here; CONFIGURE_DEPENDS re-globs on the next build.
function(velmora_layer name)
  cmake_parse_arguments(L "" "" "DIRS;DEPS;PRIVATE_DEPS" ${ARGN})
  set(sources)
  foreach(dir ${L_DIRS})
    file(GLOB found CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*.cpp)
    list(APPEND sources ${found})
  endforeach()
  if(sources)
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${L_DEPS} PRIVATE ${L_PRIVATE_DEPS})
  else()
    # A layer with no sources yet is a header-only interface.
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE ${L_DEPS})
  endif()
endfunction()

# One GoogleTest program per test source file, so that suites build and run
# on their own: tests/<layer>/FooTest.cpp (or tests/<layer>/<folder>/FooTest.cpp)
# becomes test_<layer>_FooTest.
function(velmora_tests layer)
  cmake_parse_arguments(T "" "" "LIBS" ${ARGN})
  file(GLOB_RECURSE found CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${layer}/*Test.cpp)
  file(GLOB support CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${layer}/support/*.cpp)
  foreach(src ${found})
    get_filename_component(stem ${src} NAME_WE)
    set(target test_${layer}_${stem})
    add_executable(${target} ${src} ${support})
    target_link_libraries(${target} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main Threads::Threads)
    target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
    target_compile_definitions(${target} PRIVATE
      VELMORA_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
      VELMORA_GAME_DIR="${VELMORA_GAME_DIR}"
      VELMORA_FIXTURES="${CMAKE_CURRENT_SOURCE_DIR}/fixtures")
    gtest_discover_tests(${target} DISCOVERY_TIMEOUT 60
      PROPERTIES ENVIRONMENT "VELMORA_CONFIG_HOME=${CMAKE_BINARY_DIR}/test-config")
  endforeach()
endfunction()
