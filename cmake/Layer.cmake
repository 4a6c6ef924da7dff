# fendrel_layer(NAME DIR DEPS...): one static library per layer folder, made of every .cpp in it.
# Headers are included from the project root ("jet/Page.h"), so a file's layer shows in every include.
function(fendrel_layer name dir)
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${dir}/*.cpp)
  list(FILTER sources EXCLUDE REGEX "/main\\.cpp$")
  if(sources)
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${ARGN})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE ${ARGN})
  endif()
endfunction()

# fendrel_include_order(): a build step that fails when a file includes a layer or an engine folder
# above its own (cmake/IncludeOrder.cmake). It runs again whenever a source file changes.
function(fendrel_include_order)
  file(GLOB_RECURSE checked CONFIGURE_DEPENDS
    ${PROJECT_SOURCE_DIR}/jet/*.h ${PROJECT_SOURCE_DIR}/jet/*.cpp ${PROJECT_SOURCE_DIR}/db/*.h ${PROJECT_SOURCE_DIR}/db/*.cpp
    ${PROJECT_SOURCE_DIR}/split/*.h ${PROJECT_SOURCE_DIR}/split/*.cpp ${PROJECT_SOURCE_DIR}/app/*.h ${PROJECT_SOURCE_DIR}/app/*.cpp
    ${PROJECT_SOURCE_DIR}/wizard/*.h ${PROJECT_SOURCE_DIR}/wizard/*.cpp)
  set(stamp ${CMAKE_BINARY_DIR}/include-order.stamp)
  add_custom_command(
    OUTPUT ${stamp}
    COMMAND ${CMAKE_COMMAND} -DROOT=${PROJECT_SOURCE_DIR} -DSTAMP=${stamp} -P ${PROJECT_SOURCE_DIR}/cmake/IncludeOrder.cmake
    DEPENDS ${checked} ${PROJECT_SOURCE_DIR}/cmake/IncludeOrder.cmake
    COMMENT "Checking that includes run downward only")
  add_custom_target(include-order ALL DEPENDS ${stamp})
endfunction()
