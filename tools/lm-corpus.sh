#!/bin/sh
# Writes the text the recogniser's language model is built from: transmissions of every procedure
# and their parts, made from templates whose free slots (what happened, what is wanted, what is
# adrift, what is said in routine talk) are filled from many everyday and maritime wordings, and
# positions, MMSIs, times, channels, persons, digits and phonetic letters. Lower-case words, one
# transmission a line. The name of a station is the class word [station], so that the names can
# change without a new model. The same text every time (a fixed seed).
# Usage: lm-corpus.sh [COUNT] > corpus.txt
count="${1:-12000}"
exec awk -v count="$count" '
function rnd(n) { seed = (seed * 16807) % 2147483647; return int(seed / 2147483647 * n) }
function pick(list,    a, n) { n = split(list, a, "|"); return a[rnd(n) + 1] }
function maybe(text, percent) { return rnd(100) < percent ? text : "" }
function digit() { return pick("zero|one|two|three|four|five|six|seven|eight|nine|niner|one|two|three|four|five") }
function digits(n,    s, i) { s = ""; for (i = 0; i < n; ++i) s = s " " digit(); return substr(s, 2) }
function station() { return pick("[station]|[station]|[station]|the [station]") }
function stations(    n, s) { n = 1 + rnd(3); s = station(); while (--n > 0) s = s " " station(); return s }
function mmsi() { return maybe("mmsi ", 60) digits(9) }
function callsign(    s, i, n) { n = 3 + rnd(3); s = "call sign"; for (i = 0; i < n; ++i) s = s " " (rnd(3) ? pick(letters) : digit()); return s }
function idents(    s) { s = stations(); if (rnd(100) < 25) s = s " " callsign(); if (rnd(100) < 40) s = s " " mmsi(); return s }
function ending() { return pick("over|over|over|out|over and out") }
function minutes() { return digits(1 + rnd(2)) maybe(" " pick("decimal|point") " " digit(), 25) }
function position(    s) {
  if (rnd(100) < 70) {
    s = digits(2) " degrees " maybe(minutes() " minutes ", 85) pick("north|south|north|north") " " \
        digits(3) " degrees " maybe(minutes() " minutes ", 85) pick("west|east|west|west")
  } else {
    s = minutes() " " pick("nautical miles|miles|nautical miles") " " pick(compass) " of " (rnd(4) ? pick(places) : station())
  }
  return pick("|in position |position |my position is |our position is |we are in position |i am in position |located at |") s
}
function persons() { return pick(personsLead) digits(1 + rnd(2)) " " pick("persons on board|people on board|crew|persons|people aboard|souls on board|crew members on board") }
function nature() { return pick(natureLead) pick(natures) maybe(" " pick(natureTail), 30) }
function urgency() { return pick(urgencyLead) pick(urgencies) maybe(" " pick(natureTail), 20) }
function assistance() { return pick("request|requesting|require|need|we need|we require|i need|request") " " maybe("immediate ", 40) pick(helps) }
function hazard() { return pick("|a |a large |large |an |several |") pick(hazards) maybe(" " pick(hazardTail), 40) }
function channel() { return pick("|switch to |go to |listen on |working |call me on |come up on ") "channel " digits(1 + rnd(2)) maybe(" alfa", 5) }
function utc() { return digits(4) maybe(" " pick("utc|hours|u t c"), 60) }
function all() { return pick("all stations|all stations all stations|all stations all stations all stations|all ships|all ships all ships") }
function message(    s) {
  s = ""
  if (rnd(100) < 85) s = s " " position()
  if (rnd(100) < 90) s = s " " nature()
  if (rnd(100) < 75) s = s " " assistance()
  if (rnd(100) < 65) s = s " " persons()
  if (rnd(100) < 15) s = s " " pick(extras)
  return substr(s, 2)
}
function times(word, n,    s) { s = word; while (--n > 0) s = s " " word; return s }
function out(s) { gsub(/  +/, " ", s); sub(/^ /, "", s); sub(/ $/, "", s); if (s != "") print s }
BEGIN {
  seed = 20261208
  letters = "alfa|bravo|charlie|delta|echo|foxtrot|golf|hotel|india|juliett|kilo|lima|mike|november|oscar|papa|quebec|romeo|sierra|tango|uniform|victor|whiskey|xray|yankee|zulu"
  compass = "north|south|east|west|north east|north west|south east|south west|northeast|southwest"
  places = "boston|boston light|cape cod|cape ann|nantucket|provincetown|gloucester|plymouth|the harbour entrance|the breakwater|the lighthouse|the fairway buoy|the point"
  natureLead = "|we are |i am |we have |we have a |i have a |there is a |we have had a |vessel is |my vessel is |the boat is |we are on |"
  natures = "fire|on fire|fire on board|fire in the engine room|a fire in the galley|explosion|an explosion|flooding|taking water|taking on water|taking in water fast|taking water rapidly|holed below the waterline|hull breached|water coming in|water in the engine room|pumps cannot cope|collision|collided with another vessel|in collision|aground|run aground|hard aground|grounding|grounded on rocks|hit a rock|struck a reef|listing|listing heavily|capsizing|capsized|overturned|sinking|sinking fast|going down|disabled and adrift|disabled|adrift|drifting onto rocks|drifting towards the shore|abandoning ship|abandoning|taking to the life raft|in the life raft|piracy|armed attack|being boarded|man overboard|person overboard|crew member overboard|lost a man overboard|someone fell overboard|hit a submerged object|struck a floating object|dismasted in heavy weather|smoke in the cabin|gas leak|engine room fire|out of control"
  natureTail = "after we struck something|after a collision|in heavy seas|in rough weather|and need help|fast|rapidly|badly|and cannot control it|in the forward compartment|and the pumps are not keeping up|with the wind rising|near the rocks|and sinking|on the port side|on the starboard side"
  urgencyLead = "|we have |we have a |i have a |we are |we have had |there is |we are suffering |"
  urgencies = "engine failure|engine breakdown|engine problems|a broken engine|engine trouble|steering failure|lost steering|lost our steering|no steering|rudder damage|broken rudder|out of fuel|run out of fuel|no fuel|dismasted|lost our mast|broken mast|fouled propeller|a rope around the propeller|propeller fouled|medical emergency|injured crew member|a crew member injured|an injured person|a sick passenger|a casualty on board|someone is hurt|a broken leg|a head injury|a heart attack|chest pains|a diabetic crew member|seasick crew|hypothermia|a burn injury|a dislocated shoulder|an unconscious crew member|a torn sail|flat batteries|no power|electrical failure|lost our rudder|a leak|a small leak|limited manoeuvrability|not under command|restricted in our ability to manoeuvre"
  helps = "assistance|help|a tow|tow|towing|medical advice|medical assistance|evacuation|medical evacuation|a helicopter|a lifeboat|an ambulance|a doctor|escort|an escort|a pump|pumps|fuel|someone to stand by|a vessel to stand by|advice|urgent medical advice|a rescue"
  hazards = "navigational warning|navigation warning|gale warning|storm warning|strong wind warning|fog warning|floating container|drifting container|shipping container|container adrift|containers adrift|floating debris|debris in the water|floating log|floating logs|large log|tree trunk|buoy adrift|unlit buoy|buoy unlit|lighthouse unlit|light extinguished|buoy off station|missing buoy|dangerous wreck|new wreck|wreck|submerged object|partially submerged object|obstruction|fishing nets|drifting nets|abandoned vessel|drifting vessel|unmanned vessel drifting|capsized boat|dead whale|oil slick|ice|heavy swell|dredging operations|diving operations|restricted area|firing exercise|military exercise|cable laying|survey vessel at work|towing operation|large tow|sailing race|swimmers|kayaks in the channel"
  hazardTail = "sighted|reported|has been sighted|was reported|drifting|adrift|a danger to navigation|all vessels keep clear|keep a sharp lookout|mariners are advised to keep clear|navigate with caution|in the shipping lane|in the fairway|near the entrance|expected|imminent|forecast|until further notice|for the next twelve hours|at night"
  personsLead = "|we have |there are |with |we are |"
  extras = "the vessel is a sailing yacht|the vessel is a motor boat|twelve metre sailing yacht|white hull blue sails|red hull|fishing vessel|we are abandoning to the life raft|all crew wearing life jackets|we have life jackets on|flares fired|visibility is poor|wind force seven|sea state rough|drifting east|we will keep watch on channel sixteen|standing by on channel sixteen|please hurry|weather is getting worse"
  routines = "how do you read|how do you read me|reading you loud and clear|loud and clear|i read you five by five|go ahead|go ahead please|roger|roger that|received|message received|understood|thank you|thanks|thank you very much|request your position|what is your position|where are you|say again|say again please|say again all after|standing by|standing by on channel sixteen|able to comply|unable to comply|we will meet you|meet you at the harbour|we will meet you at the marina|good bye|good morning|good afternoon|good evening|see you later|have a good trip|what is your eta|our eta is one hour|we are heading back to port|we are leaving the harbour now|we will be there in twenty minutes|wilco|affirmative|negative|correct|wait|wait out|nothing heard|it is a nice day|the weather is fine|the sea is calm|wind is light|we are fishing off the point|we are at anchor|we are alongside|we have arrived|do you need anything|we need fuel|can you take a line|what time is high water|is the marina open|please call the harbour master|request a berth for tonight|we are coming in|request permission to enter|we are clear of the harbour|keep a good lookout|i will call you back|call you later|please repeat|nothing further|this is a test|test count one two three|are you on channel sixteen|switch to a working channel|please come up on channel six eight|going up|coming up|back on sixteen"
  for (i = 0; i < count; ++i) {
    k = rnd(100)
    if (k < 22) {          # distress call and message
      s = times("mayday", 1 + rnd(3)) maybe(" this is", 90) " " idents()
      if (rnd(100) < 80) s = s " mayday " maybe(idents(), 85)
      out(s " " message() " " maybe(ending(), 85))
    } else if (k < 30) {   # relay
      s = times("mayday relay", 1 + rnd(3)) maybe(" " all(), 70) maybe(" this is", 90) " " idents()
      s = s maybe(" following received from " idents(), 70) maybe(" mayday " idents(), 60)
      out(s " " message() " " maybe(ending(), 85))
    } else if (k < 36) {   # acknowledgement
      s = "mayday " idents() " this is " idents() " received mayday" maybe(" " pick("we are proceeding to your position|our eta is twenty minutes|we are on our way|stand by|we will relay"), 20)
      out(s " " maybe(ending(), 85))
    } else if (k < 52) {   # urgency
      s = times("pan pan", 1 + rnd(3)) maybe(" " (rnd(2) ? all() : stations()), 75) maybe(" this is", 90) " " idents()
      s = s maybe(" " position(), 80) " " (rnd(4) ? urgency() : nature()) maybe(" " assistance(), 70) maybe(" " persons(), 50)
      out(s " " maybe(ending(), 85))
    } else if (k < 64) {   # safety
      s = times("securite", 1 + rnd(3)) maybe(" " all(), 80) maybe(" this is", 90) " " idents()
      s = s " " hazard() maybe(" " position(), 80) maybe(" " channel(), 30)
      out(s " " maybe(ending(), 85))
    } else if (k < 69) {   # cancel
      s = all() maybe(" this is", 90) " " idents() maybe(" " position(), 60) " " pick("cancel my distress alert|cancel my distress alert|please cancel my distress alert|cancel distress alert|i cancel my distress alert")
      out(s maybe(" of " utc(), 70) " " maybe(ending(), 85))
    } else if (k < 71) {   # silence
      out("seelonce " pick("mayday|feenee") maybe(" this is " idents(), 80) " " maybe(ending(), 70))
    } else if (k < 92) {   # routine
      s = (rnd(8) ? stations() : mmsi()) maybe(" this is", 90) " " idents()
      n = 1 + rnd(3)
      for (j = 0; j < n; ++j) {
        r = rnd(10)
        s = s " " (r < 5 ? pick(routines) : r < 7 ? channel() : r < 8 ? "radio check" maybe(" on " channel(), 30) : r < 9 ? position() : pick(routines))
      }
      out(s " " maybe(ending(), 85))
    } else {               # parts said alone
      r = rnd(9)
      out(r == 0 ? position() : r == 1 ? nature() : r == 2 ? urgency() : r == 3 ? hazard() : r == 4 ? assistance() : \
          r == 5 ? persons() : r == 6 ? pick(routines) : r == 7 ? channel() : digits(3 + rnd(7)))
    }
  }
}' </dev/null
