#!/bin/bash
# The package manager's manifest beside each setup of a tree names that
# setup's SHA-256 as it lies there, and the demo's is the one published in
# packaging/winget/, line for line but for the hash, which changes with
# every change of the setup.
# usage: package_manifests.sh SOURCE_ROOT TREE
src=$1
tree=$2
failed=0
while read -r named; do
  root=$(dirname "$named")
  setup=$root/$(cat "$root/setup.name")
  manifest=$root/$(cat "$named")
  listed=$(sed -n 's/^ *InstallerSha256: //p' "$manifest")
  actual=$(sha256sum < "$setup" | cut -c1-64 | tr a-f A-F)
  if [ "$listed" = "$actual" ]; then
    echo "hash of ${setup#$tree/}: $actual"
  else
    echo "$manifest names $listed, but $setup is $actual"; failed=1
  fi
done < <(find "$tree" -name package.name -not -path '*/CMakeFiles/*')
published=$src/packaging/winget/Brindlemoor.Quorvel.yaml
built=$tree/Brindlemoor.Quorvel.yaml
if ! grep -q '^ *InstallerSha256: [0-9A-F]\{64\}$' "$published"; then
  echo "$published has no InstallerSha256 line"; failed=1
elif diff <(grep -v '^ *InstallerSha256:' "$published") <(grep -v '^ *InstallerSha256:' "$built"); then
  echo "$published is the build's"
else
  echo "$published differs from the build's (above): copy $built there"; failed=1
fi
exit $failed
