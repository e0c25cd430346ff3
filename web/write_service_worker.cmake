# Writes the service worker from its template once every other file of the site is built: the
# cache's name is a hash of all their contents, so any change to the site names a new cache.
#   cmake -DSITE_DIR=... -DTEMPLATE=... -DFILES="a;b;..." -P write_service_worker.cmake
set(contents "")
set(PRECACHE "\"./\"")
foreach(file IN LISTS FILES)
  file(SHA256 "${SITE_DIR}/${file}" hash)
  string(APPEND contents "${file} ${hash}\n")
  string(APPEND PRECACHE ", \"${file}\"")
endforeach()
string(SHA256 SITE_HASH "${contents}")
string(SUBSTRING "${SITE_HASH}" 0 16 SITE_HASH)
configure_file("${TEMPLATE}" "${SITE_DIR}/service-worker.js" @ONLY)
