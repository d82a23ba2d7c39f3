# Where this build looks for its results service. The defaults point at the local service
# (qivra28-service) so that everything runs on one machine; a deployment overrides them with -D.
set(QIVRA_SERVICE_PORT "28028" CACHE STRING "Port of the local results service")
set(QIVRA_CONFIG_URL "http://127.0.0.1:${QIVRA_SERVICE_PORT}/qivra/config.txt" CACHE STRING
    "Remote-configuration URL (compiled in enciphered)")
set(QIVRA_RESULTS_HOST "127.0.0.1:${QIVRA_SERVICE_PORT}" CACHE STRING
    "Current results host; legacy feed addresses are rewritten to it")
set(QIVRA_LEGACY_DOMAIN "old-results.qivra.invalid" CACHE STRING
    "Legacy results domain that stored feed addresses may still name")
set(QIVRA_DOWNLOAD_PAGE "http://127.0.0.1:${QIVRA_SERVICE_PORT}/qivra/download.html" CACHE STRING
    "Page opened when a newer version is published")
set(QIVRA_CONTACT_LINES "客服QQ：28028028|下载地址：http://127.0.0.1:${QIVRA_SERVICE_PORT}/qivra/download.html" CACHE STRING
    "Makers' contact and download lines of the update message, separated by |")
