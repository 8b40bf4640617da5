# Checks that every include in the source tree points down, never up or
# sideways against the rules below. Run as a test:
#   cmake -DROOT=<tree> -P cmake/CheckIncludes.cmake
# It prints each forbidden include and fails when there is one.
#
# The layers: app over gameplay over engine over framework. Inside the
# framework, each folder names the folders it may use besides itself; SDL
# belongs to framework/platform alone.
set(allowed_framework/base "")
set(allowed_framework/platform "framework/base")
set(allowed_framework/graphics "framework/base;framework/platform")
set(allowed_framework/imageio "framework/base;framework/platform;framework/graphics")
set(allowed_framework/sound "framework/base;framework/platform")
set(allowed_framework/ini "framework/base;framework/platform")
set(allowed_framework/xml "framework/base;framework/platform")
set(allowed_framework/widgets "framework/base;framework/platform;framework/graphics")
set(allowed_framework/app "framework/base;framework/platform;framework/graphics;framework/imageio;framework/sound;framework/ini;framework/xml;framework/widgets")
set(framework_all "framework/base;framework/platform;framework/graphics;framework/imageio;framework/sound;framework/ini;framework/xml;framework/widgets;framework/app")
set(allowed_engine "${framework_all}")
set(allowed_gameplay "engine;${framework_all}")
set(allowed_app "gameplay;engine;${framework_all}")

if(NOT ROOT)
  message(FATAL_ERROR "usage: cmake -DROOT=<tree> -P CheckIncludes.cmake")
endif()

set(faults 0)
foreach(area framework/base framework/platform framework/graphics framework/imageio
             framework/sound framework/ini framework/xml framework/widgets framework/app engine gameplay app)
  file(GLOB_RECURSE sources ${ROOT}/${area}/*.h ${ROOT}/${area}/*.cpp ${ROOT}/${area}/*.inl)
  foreach(source ${sources})
    file(RELATIVE_PATH shown ${ROOT} ${source})
    file(STRINGS ${source} includes REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<]")
    foreach(line ${includes})
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*[\"<]([^\">]*)[\">].*" "\\1" target "${line}")
      if(target MATCHES "^SDL" AND NOT area STREQUAL "framework/platform")
        message("${shown}: includes <${target}>; only framework/platform may use SDL")
        math(EXPR faults "${faults} + 1")
        continue()
      endif()
      # Where the include points: a framework folder, or a whole layer.
      if(target MATCHES "^(framework/[a-z]+)/")
        set(to ${CMAKE_MATCH_1})
      elseif(target MATCHES "^(engine|gameplay|app)/")
        set(to ${CMAKE_MATCH_1})
      else()
        continue()  # system and library headers, and files beside it
      endif()
      if(to STREQUAL area)
        continue()
      endif()
      list(FIND allowed_${area} ${to} found)
      if(found EQUAL -1)
        message("${shown}: includes ${target}, but ${area} may not use ${to}")
        math(EXPR faults "${faults} + 1")
      endif()
    endforeach()
  endforeach()
endforeach()

if(faults GREATER 0)
  message(FATAL_ERROR "${faults} include(s) against the layer rules")
endif()
message("includes follow the layer rules")
