# Sourced by scripts/e2e-scenario.sh for the scenario remove-junction: links made
# by the host on the driver's request.
. "$vantor_root/tests/e2e/host-link-requests.sh"
