#!/usr/bin/env bash
# Rebuilds data/tv-all.xml, the catalogue that ships with Zentavo Player, from the openly licensed
# channel lists described in data/SOURCES.md. The selection is fixed by the rules below, so the
# same lists always give the same catalogue:
#   TV      iptv-org by-country list: the channels whose tvg-id is in TV_IDS (public broadcasters,
#           parliaments, public international news), no "[Geo-blocked]" or "[Not 24/7]" streams,
#           one stream per channel (the first https one, else the first).
#   radio   deroverda's curated stations whose country is known (country-code domain of the
#           homepage, a US call-sign host, or HOST_COUNTRIES), and the Spanish public and national
#           stations of TDTChannels (RADIO_NAMES, not its international group), one stream per station.
#   webcams official traffic cameras with JPEG snapshots, one camera per site, at most four of each named county and
#           at most WEBCAM_QUOTA per road agency, in the list's order.
#
# usage: data/rebuild-catalogue.sh [LISTS_FOLDER] [OUT]
#   LISTS_FOLDER  the channel lists (default: ../shared/channels beside the checkout)
#   OUT           the catalogue to write (default: data/tv-all.xml)
# ZENTAVO_CATALOG names the zentavo-catalog program (default: build/bin/zentavo-catalog).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
lists=${1:-$here/../../shared/channels}
out=${2:-$here/tv-all.xml}
catalog=${ZENTAVO_CATALOG:-$here/../build/bin/zentavo-catalog}
[[ -x $catalog ]] || { echo "rebuild-catalogue: $catalog not found (build zentavo-catalog first)" >&2; exit 2; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export LC_ALL=C.UTF-8

# ---- TV: tvg-id without the "@feed" part ------------------------------------------------------
TV_IDS='
DasErste.de ZDF.de ZDFneo.de ZDFinfo.de 3sat.de Phoenix.de KiKA.de tagesschau24.de ARDalpha.de
BRFernsehen.de hrfernsehen.de MDRFernsehen.de NDRFernsehen.de rbbFernsehen.de SRFernsehen.de
SWRFernsehen.de WDRFernsehen.de ONE.de DW.de DWArabic.de DWEnglish.de DWEspanol.de arte.de arte.fr
ORF1.at ORF2.at ORFIII.at ORFKids.at
SRF1.ch SRFzwei.ch SRFinfo.ch RSILa1.ch RSILa2.ch RTSUn.ch RTSDeux.ch RTSInfo.ch
France2.fr France3.fr France4.fr France5.fr FranceInfo.fr France24.fr France24English.fr France24Arabic.fr
France24Spanish.fr TV5MondeEurope.fr TV5MondeInfo.fr LCP.fr PublicSenat.fr
Rai1.it Rai2.it Rai3.it Rai4.it Rai5.it RaiNews24.it RaiStoria.it RaiScuola.it RaiGulp.it RaiYoyo.it
RaiMovie.it RaiPremium.it RaiSport.it RaiItalia.it RaiSudtirol.it CameradeiDeputati.it SenatoTV.it
La1.es La2.es 24Horas.es Clan.es Teledeporte.es TVEInternacional.es La1Canarias.es La1Catalunya.es
La2Catalunya.es CanalSurAndalucia.es CanalSur2.es CanalSurNoticias.es 3CatInfo.es TV3.es APunt.es
ETB1On.es ETB2On.es TelevisionCanaria.es Telemadrid.es CMMTV.es GaliciaTVEuropa.es AragonTV.es IB3.es
RTP1.pt RTP2.pt RTP3.pt RTPInternacional.pt RTPAfrica.pt RTPAcores.pt RTPMadeira.pt ARTV.pt
NPO1.nl NPO2.nl NPO3.nl NPONieuws.nl NPOPolitiek.nl OmroepBrabant.nl OmroepGelderland.nl OmroepZeeland.nl
RTVOost.nl RTVRijnmond.nl RTVUtrecht.nl RTVDrenthe.nl NH.nl L1.nl OmropFryslan.nl RTVNoord.nl
Een.be Canvas.be Ketnet.be LaUne.be Tipik.be LaTrois.be EbS.be EbSPlus.be
BBCOne.uk BBCTwo.uk BBCNews.uk BBCParliament.uk BBCArabic.uk BBCPersian.uk BBCWorldNews.uk
RTEOne.ie RTETwo.ie RTENews.ie TG4.ie OireachtasTV.ie
DR1.dk DR2.dk DRRamasjang.dk NRK1.no NRK2.no NRK3.no SVT1.se SVT2.se SVTBarn.se Kunskapskanalen.se
YleTV1.fi YleTV2.fi YleTeemaFem.fi RUV.is RUV2.is ETV.ee ETV2.ee ETVPlus.ee LTV1.lv LTV7.lv LRTTV.lt
LRTPlius.lt LRTKlasika.lt
TVP1.pl TVP2.pl TVPInfo.pl TVPHistoria.pl TVPPolonia.pl TVPWorld.pl TVPSport.pl TVPKultura.pl
CT1.cz CT2.cz CT24.cz CTsport.cz CTart.cz Jednotka.sk Dvojka.sk RTVS24.sk M1.hu M2.hu M4Sport.hu M5.hu
Duna.hu DunaWorld.hu TVSLO1.si TVSLO2.si TVSLO3.si HRT1.hr HRT2.hr HRT3.hr HRT4.hr RTS1.rs RTS2.rs
RTS3.rs RTSSvet.rs BHRT.ba RTCG1.me MRT1.mk MRT2.mk RTSH1.al RTSH2.al RTSH24.al RTK1.xk
TVR1.ro TVR2.ro TVR3.ro TVRInfo.ro TVRCultural.ro TVRInternational.ro TVRMoldova.md Moldova1.md
BNT1.bg BNT2.bg BNT3.bg BNT4.bg ERT1.gr ERT2.gr ERT3.gr ERTNews.gr ERTWorld.gr CyBC1.cy CyBC2.cy
TRT1.tr TRTHaber.tr TRTWorld.tr TRTBelgesel.tr TRTCocuk.tr TRTTurk.tr TRTMuzik.tr TRTAvaz.tr Kan11.il
KnessetChannel.il Euronews.fr EuronewsEnglish.fr EuronewsFrench.fr EuronewsGerman.fr EuronewsItalian.fr
EuronewsSpanish.fr EuronewsPortuguese.fr EuronewsGreek.fr EuronewsHungarian.fr
AlJazeera.qa AlJazeeraEnglish.qa AlJazeeraMubasher.qa
NHKGeneralTV.jp NHKEducationalTV.jp NHKWorldJapan.jp KBS1.kr KBS2.kr KBSWorld.kr ArirangTV.kr
CNAInternational.sg TVRI.id TVRIWorld.id CGTN.cn CGTNDocumentary.cn CGTNFrench.cn CGTNSpanish.cn
ABCTV.au ABCKids.au ABCNews.au SBS.au SBSWorldWatch.au TVNZ1.nz TVNZ2.nz
CBCNewsNetwork.ca CBCTelevision.ca ICIRDI.ca TeleQuebec.ca CPAC.ca TVO.ca
PBS.us PBSKids.us NASATV.us NASATVPublic.us CSPAN.us CSPAN2.us CSPAN3.us ABCNewsLive.us CBSNews.us
NBCNewsNOW.us
TVBrasil.br TVCultura.br TVCamara.br TVSenado.br CanalOnce.mx Canal22.mx TVPublica.ar Encuentro.ar
PakaPaka.ar TVPeru.pe TVN.cl 24Horas.cl NTN24.co SenalColombia.co RTVC.co TeleSUR.ve TeleSURenglish.ve
SABC1.za SABC2.za SABCNews.za
AlJazeeraDocumentary.qa AragonTVInternacional.es CBSNews247.us CBSNewsBoston.us CBSNewsChicago.us
CBSNewsLosAngeles.us CBSNewsNewYork.us CBSNewsBayArea.us CPACEnglish.ca CTDecko.cz CTSport.cz
Canal22Nacional.mx IciRDI.ca L1TV.nl MRTSobraniskikanal.mk RTPMemoria.pt RTPNoticias.pt
SWRFernsehenBadenWurttemberg.de SWRFernsehenRheinlandPfalz.de SVTBarnSVT24.se TVEInternacionalEurope.es
TVEInternacionalAmerica.es TVPDokument.pl TVP3Warszawa.pl TVOKids.ca Telesur.ve phoenix.de ERTCosmos.gr
ABCNewsLive1.us ABCNewsLive2.us 2M.ma Arryadia.ma AlEkhbariya.sa DDNational.in DDNews.in DDIndia.in
DDKisan.in DDBharati.in DDSports.in DDUrdu.in SansadTV1.in SansadTV2.in CCTV1.cn CCTV4Europe.cn
CCTV4America.cn CCTV13.cn DubaiTVInternational.ae OmanTV.om NTAInternational.ng ORTBTV.bj RTI1.ci
RwandaTV.rw TBC1.tz RTHKTV31.hk RTHKTV32.hk RTHKTV33.hk RTMASEAN.my TV1.my RTMParlimenDewanRakyat.my
ThaiPBS.th NBTWorld.th VTV1.vn VTV4.vn KanEducational.il Makan33.il PTVNews.pk RTBGo.bn
'
printf '%s\n' $TV_IDS > "$work/tv-ids.txt"
tr -d '\r' < "$lists/tv/iptv-org-by-country.m3u" | awk -v idsfile="$work/tv-ids.txt" '
  BEGIN { while ((getline id < idsfile) > 0) wanted[id] = 1 }
  /^#EXTINF/ { info = $0; id = ""; if (match(info, /tvg-id="[^"]*"/)) { id = substr(info, RSTART + 8, RLENGTH - 9); sub(/@.*/, "", id) } next }
  /^#/ || /^$/ { next }
  info != "" {
    if (id in wanted && info !~ /\[Geo-blocked\]|\[Not 24\/7\]/) {
      if (!(id in first)) { first[id] = info "\n" $0; order[++n] = id }
      if (!(id in best) && $0 ~ /^https:/) best[id] = info "\n" $0
    }
    info = ""
  }
  END { print "#EXTM3U"; for (i = 1; i <= n; ++i) print ((order[i] in best) ? best[order[i]] : first[order[i]]) }
' > "$work/tv.m3u"

# The TV list shows its rows in file order: order the channels by country name, then by name, as
# the import names them (a first import of the selection gives the names; its addresses key the order).
"$catalog" import "$work/tv.m3u" -o "$work/tv-named.xml" >/dev/null 2>&1
"$catalog" list "$work/tv-named.xml" | awk -F'\t' '{ print $4 "\t" $5 "\t" $7 }' \
  | sort -f -t $'\t' -k1,1 -k2,2 | cut -f3 > "$work/tv-order.txt"
awk -v orderfile="$work/tv-order.txt" '
  BEGIN { while ((getline url < orderfile) > 0) if (!(url in rank)) rank[url] = ++ranked }
  /^#EXTINF/ { info = $0; next }
  /^#/ || /^$/ { next }
  info != "" {
    key = $0; sub(/\|.*/, "", key)
    entry[++n] = info "\n" $0; pos[n] = (key in rank) ? rank[key] : ranked + n
    info = ""
  }
  END {
    print "#EXTM3U"
    for (i = 1; i <= n; ++i) at[pos[i]] = (pos[i] in at) ? at[pos[i]] "\n" entry[i] : entry[i]
    for (p = 1; p <= ranked + n; ++p) if (p in at) print at[p]
  }
' "$work/tv.m3u" > "$work/tv-sorted.m3u"
mv "$work/tv-sorted.m3u" "$work/tv.m3u"

# ---- Radio ---------------------------------------------------------------------------------
# Hosts of stations whose homepage domain names no country.
HOST_COUNTRIES='
somafm.com=US radioparadise.com=US kexp.org=US wfmu.org=US wqxr.org=US wwoz.org=US wbgo.org=US
thecurrent.org=US jazzgroove.org=US xray.fm=US wfmt.com=US wnyc.org=US kcrw.com=US kusc.org=US
nts.live=GB rinse.fm=GB worldwidefm.net=GB resonancefm.com=GB sohoradio.com=GB totalrock.com=GB
thelotradio.com=US dublab.com=US datafruits.fm=US cashmereradio.com=DE refugeworldwide.com=DE
intergalactic.fm=NL kioskradio.com=BE radio80k.com=NL threedradio.com=AU subcity.org=GB
ukrootsfm.net=GB wefunkradio.com=CA tsfjazz.com=FR radiomeuh.com=FR fip.fr=FR
'
printf '%s\n' $HOST_COUNTRIES > "$work/host-countries.txt"
tr -d '\r' < "$lists/radio/deroverda.m3u" | awk -v hostsfile="$work/host-countries.txt" '
  BEGIN {
    while ((getline line < hostsfile) > 0) { split(line, kv, "="); known[kv[1]] = kv[2] }
    # Country-code domains in use by the stations, with the generic ones that name a country.
    split("uk:GB fr:FR de:DE it:IT ch:CH nl:NL be:BE jp:JP za:ZA se:SE pl:PL nz:NZ us:US at:AT es:ES dk:DK no:NO fi:FI ie:IE pt:PT ca:CA au:AU br:BR ar:AR mx:MX cl:CL is:IS gr:GR cz:CZ hu:HU ro:RO edu:US nyc:US tokyo:JP", pairs, " ")
    for (i in pairs) { split(pairs[i], kv, ":"); tld[kv[1]] = kv[2] }
  }
  /^# Homepage:/ { home = $3; next }
  /^#EXTINF/ { info = $0; next }
  /^#/ || /^$/ { next }
  info != "" {
    host = home; sub(/^https?:\/\//, "", host); sub(/[\/:?#].*/, "", host); sub(/^www\./, "", host)
    n = split(host, parts, "."); country = ""
    if (host in known) country = known[host]
    else if (parts[n] in tld) country = tld[parts[n]]
    else if (n == 2 && parts[1] ~ /^[wk][a-z][a-z][a-z]?(radio|fm)?$/) country = "US"  # a US call sign
    if (country != "" && !($0 in seen)) {
      seen[$0] = 1
      sub(/^#EXTINF:-1 /, "#EXTINF:-1 radio=\"true\" tvg-country=\"" country "\" ", info)
      print info; print $0
    }
    info = ""; home = ""
  }
' > "$work/radio-curated.m3u"

RADIO_NAMES='^(Radio Nacional( .*)?|Radio Clásica|Radio 3|Radio 5 RNE|Radio 5 .*|Ràdio 4|Radio Exterior|Catalunya (Ràdio|Informació|Música)|iCat.*|Radio Euskadi|Euskadi Irratia|Gaztea|Radio Vitoria|EITB Musika|Radio Galega|Radio Galega Música|Canal Sur Radio.*|Canal Fiesta Radio|Aragón Radio.*|À Punt.*|IB3 Ràdio|Onda Madrid|Onda Regional de Murcia|Canarias Radio|RPA.*|Canal Extremadura Radio|Radio Castilla-La Mancha|COPE|Cadena SER|Onda Cero|Radio Marca|RAC1|esRadio)$'
tr -d '\r' < "$lists/radio/tdtchannels.m3u" | awk -v names="$RADIO_NAMES" '
  /^#EXTINF/ {
    info = $0; name = info; sub(/^[^,]*",/, "", name); sub(/ *\[[^]]*\] *$/, "", name); next
  }
  /^#/ || /^$/ { next }
  info != "" {
    if (name ~ names && info !~ /group-title="Internacionales"/ && !(name in seen)) {
      seen[name] = 1
      sub(/,[^,]*$/, "," name, info)
      sub(/^#EXTINF:-1 /, "#EXTINF:-1 radio=\"true\" tvg-country=\"ES\" ", info)
      print info; print $0
    }
    info = ""
  }
' > "$work/radio-spain.m3u"

# ---- Webcams: official road-agency cameras with JPEG snapshots ------------------------------
WEBCAM_QUOTA='cwwp2.dot.ca.gov=30 cocam.carsprogram.org=25 websvc.coloradosprings.gov=5 www.trimarc.org=15 itscameras.dot.state.oh.us=25'
awk -F'\t' -v quotas="$WEBCAM_QUOTA" '
  BEGIN { OFS = "\t"; n = split(quotas, q, " "); for (i = 1; i <= n; ++i) { split(q[i], kv, "="); quota[kv[1]] = kv[2] } }
  NR == 1 { print "country", $0; next }
  {
    url = $8; sub(/\r$/, "", url)
    if (url !~ /\.jpg($|\?)/ || url ~ / /) next
    host = url; sub(/^https?:\/\//, "", host); sub(/[\/:].*/, "", host)
    site = $3; sub(/:.*/, "", site)
    if ($2 == "other") $2 = ""
    if (!(host in quota) || taken[host] >= quota[host] || (host SUBSEP site) in seen || ($2 != "" && county[host, $1, $2] >= 4)) next
    seen[host, site] = 1; ++county[host, $1, $2]; ++taken[host]
    print "United States", $0
  }
' "$lists/webcams/usa-traffic-snapshots.tsv" > "$work/webcams.tsv"

"$catalog" import "$work/tv.m3u" "$work/radio-curated.m3u" "$work/radio-spain.m3u" "$work/webcams.tsv" -o "$out" \
  2> >(sed "s#$work/##" >&2) | sed "s#$work/##"
echo "rebuild-catalogue: wrote $out"
