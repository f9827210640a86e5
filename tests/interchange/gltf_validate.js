// Runs the Khronos glTF validator on each file named on the command line and
// prints its findings; exits 1 when any file has an error or a warning.
'use strict';
const fs = require('fs');
const path = require('path');
const validator = require('gltf-validator');

async function validate(file) {
  const report = await validator.validateBytes(new Uint8Array(fs.readFileSync(file)), {
    uri: path.basename(file),
    externalResourceFunction: (uri) =>
      new Promise((resolve, reject) => {
        fs.readFile(path.join(path.dirname(file), decodeURIComponent(uri)), (err, data) =>
          err ? reject(err.toString()) : resolve(new Uint8Array(data)));
      }),
  });
  const names = ['error', 'warning', 'info', 'hint'];
  for (const m of report.issues.messages)
    console.log(`${file}: ${names[m.severity]} ${m.code} ${m.pointer || ''}: ${m.message}`);
  console.log(`${file}: ${report.issues.numErrors} errors, ${report.issues.numWarnings} warnings, ` +
              `${report.issues.numInfos} infos, ${report.issues.numHints} hints`);
  return report.issues.numErrors + report.issues.numWarnings;
}

(async () => {
  let bad = 0;
  for (const file of process.argv.slice(2)) bad += await validate(file);
  process.exit(bad > 0 ? 1 : 0);
})().catch((e) => {
  console.error(e);
  process.exit(2);
});
