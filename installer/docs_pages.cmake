# Copies the user guide (SOURCE/*.md) into DEST and writes each page beside it as a plain
# .htm page that any browser shows: the text as it is (preformatted, HTML characters
# escaped), with the links between the pages pointing at their .htm pages.
#
# cmake -DSOURCE=<docs folder> -DDEST=<folder> -P docs_pages.cmake

file(GLOB pages RELATIVE ${SOURCE} ${SOURCE}/*.md)
foreach(page IN LISTS pages)
  file(COPY ${SOURCE}/${page} DESTINATION ${DEST})
  file(READ ${SOURCE}/${page} text)
  string(REPLACE "&" "&amp;" text "${text}")
  string(REPLACE "<" "&lt;" text "${text}")
  string(REPLACE ">" "&gt;" text "${text}")
  string(REGEX REPLACE "\\[([^]\n]*)\\]\\(([A-Za-z0-9_.-]+)\\.md\\)" "<a href=\"\\2.htm\">\\1</a>"
    text "${text}")
  string(REGEX REPLACE "\\.md$" "" name ${page})
  string(REGEX MATCH "^# [^\n]*" title "${text}")
  string(REGEX REPLACE "^# " "" title "${title}")
  file(WRITE ${DEST}/${name}.htm
    "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>${title}</title></head>\n"
    "<body><pre style=\"font-family: sans-serif; white-space: pre-wrap\">\n${text}</pre></body></html>\n")
endforeach()
