# Copies the page (SOURCE) and the X_ITE files it needs (from DIST) to TARGET. Run with cmake -P.
file(COPY ${SOURCE}/ DESTINATION ${TARGET})
if(EXISTS ${DIST}/x_ite.min.js)
  # x_ite.css lays out the canvas: without it the world is walked but drawn on a canvas of no size.
  file(COPY ${DIST}/x_ite.min.js ${DIST}/x_ite.css ${DIST}/LICENSE.md DESTINATION ${TARGET}/x_ite)
  # X_ITE loads its components from assets/ beside its script; the page uses the minified ones only.
  file(COPY ${DIST}/assets DESTINATION ${TARGET}/x_ite
       PATTERN "*.js" EXCLUDE)
  file(GLOB minified ${DIST}/assets/components/*.min.js)
  file(COPY ${minified} DESTINATION ${TARGET}/x_ite/assets/components)
  file(GLOB libs ${DIST}/assets/lib/*.js)
  file(COPY ${libs} DESTINATION ${TARGET}/x_ite/assets/lib)
endif()
