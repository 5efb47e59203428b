# Sourced by scripts/e2e-scenario.sh for the scenario linked-files: links made
# by the host on the driver's request.
. "$vantor_root/tests/e2e/host-link-requests.sh"
