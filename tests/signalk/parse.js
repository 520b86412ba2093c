#!/usr/bin/env node
// Reads NMEA 0183 lines from a file (or standard input) and prints what Signal K's parser makes of
// them: one JSON object per delta, one per line. A sentence the parser refuses (a bad checksum,
// say) is printed as {"error": ...} on standard error and makes the exit status 1.
'use strict';
const fs = require('fs');
const Parser = require('@signalk/nmea0183-signalk');

const input = fs.readFileSync(process.argv[2] || 0, 'latin1');
const parser = new Parser();
let status = 0;
for (const line of input.split(/\r?\n/)) {
  if (line.trim() === '') continue;
  try {
    const delta = parser.parse(line);
    if (delta) process.stdout.write(JSON.stringify(delta) + '\n');
  } catch (e) {
    process.stderr.write(JSON.stringify({ error: e.message, line }) + '\n');
    status = 1;
  }
}
process.exit(status);
