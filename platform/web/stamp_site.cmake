# Writes the service worker into the built site with the list of the site's
# files and a hash of all of them, so each build caches under its own name.
# Run by the page target: cmake -DSITE=... -DSOURCE=... -P stamp_site.cmake
set(NAMES ./ index.html page.js settings.js touch.js manifest.webmanifest icon-192.png icon-512.png
  tirlane.js tirlane.wasm tirlane.data font-LICENSE.txt)
set(ALL "")
foreach(name IN LISTS NAMES)
  if(NOT name STREQUAL "./")
    file(SHA256 ${SITE}/${name} one)
    string(APPEND ALL "${name}=${one}\n")
  endif()
endforeach()
string(SHA256 HASH "${ALL}")
string(SUBSTRING ${HASH} 0 16 TIRLANE_BUILD_HASH)
list(TRANSFORM NAMES PREPEND "'")
list(TRANSFORM NAMES APPEND "'")
list(JOIN NAMES ", " TIRLANE_BUILD_FILES)
configure_file(${SOURCE} ${SITE}/sw.js @ONLY)
