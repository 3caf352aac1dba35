# Fails, naming the file and the include, when a layer includes a folder it may not use.
# Run by CTest: cmake -DSOURCE_DIR=<root> -P CheckLayers.cmake
#
# Arrows point down only: the widget knows the toolkit, the renderer knows the toolkit, the host knows
# the renderer and the toolkit and the widget only through the host protocol (one registration by
# class name, in host/Panel.cpp), and the command sits on top; its photo check applies the
# slideshow's own rules for names and settings, so the command may read slideshow/.

cmake_minimum_required(VERSION 3.22)

set(allowed_platform platform)
set(allowed_views views platform)
set(allowed_slideshow slideshow platform)
set(allowed_touch touch platform)
set(allowed_controller controller views slideshow touch platform)
set(allowed_render render platform)
set(allowed_host host render platform)
set(allowed_app app host render slideshow platform)
set(layers platform views slideshow touch controller render host app)

# The single place where the host names the widget: registering its principal class by name.
set(exception_host_Panel.cpp controller)

if(NOT SOURCE_DIR)
  message(FATAL_ERROR "CheckLayers: SOURCE_DIR is not set")
endif()

set(violations "")
set(checked 0)
foreach(layer IN LISTS layers)
  file(GLOB files "${SOURCE_DIR}/${layer}/*.h" "${SOURCE_DIR}/${layer}/*.cpp")
  foreach(file IN LISTS files)
    math(EXPR checked "${checked} + 1")
    get_filename_component(name "${file}" NAME)
    file(STRINGS "${file}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"[^\"]+\"")
    foreach(line IN LISTS includes)
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]+)\".*" "\\1" target "${line}")
      if(NOT target MATCHES "/")
        continue()
      endif()
      string(REGEX REPLACE "/.*" "" folder "${target}")
      set(ok FALSE)
      if(folder IN_LIST allowed_${layer})
        set(ok TRUE)
      elseif(DEFINED exception_${layer}_${name} AND folder IN_LIST exception_${layer}_${name})
        set(ok TRUE)
      endif()
      if(NOT ok)
        list(JOIN allowed_${layer} ", " reach)
        string(APPEND violations "  ${layer}/${name} includes \"${target}\"; ${layer}/ may include only ${reach}\n")
      endif()
    endforeach()
  endforeach()
endforeach()

if(violations)
  message(FATAL_ERROR "A layer includes one above it or beside it:\n${violations}")
endif()
message(STATUS "CheckLayers: ${checked} files, every include within its layer's reach")
