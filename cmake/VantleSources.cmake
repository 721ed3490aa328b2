# The portable core is one static library per layer, each linked to the layers below it, so the
# linker sees them in layer order. An include that reaches upward is refused by the layer check
# (cmake/CheckLayers.cmake), which every build runs.
#
# vantle_layer(<name> [SUBDIRS dir...] [DEPENDS layer...]) makes vantle_<name> from every .cpp
# directly inside the calling folder (and inside the sub-folders named), with the platform-specific
# ones picked by suffix: *_win32.cpp only on Windows, *_posix.cpp only elsewhere.
function(vantle_layer name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "SUBDIRS;DEPENDS")
  set(dirs "${CMAKE_CURRENT_SOURCE_DIR}")
  foreach(sub IN LISTS arg_SUBDIRS)
    list(APPEND dirs "${CMAKE_CURRENT_SOURCE_DIR}/${sub}")
  endforeach()
  set(sources)
  foreach(dir IN LISTS dirs)
    file(GLOB files CONFIGURE_DEPENDS "${dir}/*.cpp" "${dir}/*.c")
    foreach(f IN LISTS files)
      if(f MATCHES "_win32\\.(cpp|c)$" AND NOT WIN32)
        continue()
      endif()
      if(f MATCHES "_posix\\.(cpp|c)$" AND WIN32)
        continue()
      endif()
      list(APPEND sources "${f}")
    endforeach()
  endforeach()
  add_library(vantle_${name} STATIC ${sources})
  target_include_directories(vantle_${name} PUBLIC ${PROJECT_SOURCE_DIR})
  foreach(dep IN LISTS arg_DEPENDS)
    target_link_libraries(vantle_${name} PUBLIC vantle_${dep})
  endforeach()
  set(VANTLE_LAYER_SOURCES ${sources} PARENT_SCOPE)
endfunction()
