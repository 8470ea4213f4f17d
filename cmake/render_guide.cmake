# Renders the user guide from Markdown into the one HTML page the release ships.
#   cmake -DCMARK_GFM=<cmark-gfm> -DSOURCE=<guide.md> -DPAGE=<page.html.in> -DOUTPUT=<guide.html>
#         -P render_guide.cmake
# The page is the template with the guide's first heading as its title and the rendered Markdown as
# its body. Nothing of the machine or the moment goes in (no date, no path), so one source gives one
# page, byte for byte.
foreach(var CMARK_GFM SOURCE PAGE OUTPUT)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "render_guide: ${var} is not set")
  endif()
endforeach()

# Tables for the lists of settings and messages. Raw HTML is let through because the message table
# writes the line breaks of a message box as <br> inside a cell; tagfilter still disarms the tags a
# page should never take from Markdown (script, iframe, style and the like).
execute_process(
  COMMAND ${CMARK_GFM} --unsafe --validate-utf8 -e table -e tagfilter ${SOURCE}
  OUTPUT_VARIABLE body
  RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "render_guide: cmark-gfm failed on ${SOURCE} (${result})")
endif()
# Raw HTML that did not come through would leave the reader a table with its line breaks lost.
string(FIND "${body}" "raw HTML omitted" omitted)
if(NOT omitted EQUAL -1)
  message(FATAL_ERROR "render_guide: raw HTML was dropped from ${SOURCE}")
endif()

file(STRINGS ${SOURCE} heading REGEX "^# " LIMIT_COUNT 1 ENCODING UTF-8)
string(REGEX REPLACE "^# +" "" title "${heading}")
if(title STREQUAL "")
  message(FATAL_ERROR "render_guide: ${SOURCE} has no first heading for the page title")
endif()
# The title is plain text inside <title>.
string(REPLACE "&" "&amp;" title "${title}")
string(REPLACE "<" "&lt;" title "${title}")

file(READ ${PAGE} page)
string(REPLACE "@GUIDE_TITLE@" "${title}" page "${page}")
string(REPLACE "@GUIDE_BODY@" "${body}" page "${page}")
file(WRITE ${OUTPUT} "${page}")
