// The built-in content. Texts are UTF-8 in this file and become QString via
// QStringLiteral, so typographic punctuation (en dash, right single quotation
// mark, degree and plus-minus signs) is kept as the real characters. Our own
// texts write the apostrophe as ’ and a dash as a spaced en dash; texts quoted
// word for word keep their straight apostrophe. Values are bound when they are
// stored, so apostrophes are fine in every text.
#include "data/seedcontent.h"

namespace Seed {

namespace {

// The washing machine tips are shared by the electricity and water tables.
QString washAt40Tip()
{
    return QStringLiteral("Wash at 40°C rather than 60°C. Everyday laundry still comes clean, and "
                          "heating the water takes most of the energy a wash uses.");
}

QString fullLoadTip()
{
    return QStringLiteral("Wash with a full load.");
}

QString craftPicture(const char *file)
{
    return QStringLiteral(":/darAror/images/DarArorResc/resc/") + QLatin1String(file);
}

} // namespace

const QList<Tip> &waterTips()
{
    static const QList<Tip> tips{
        {QStringLiteral("Tap"),
         QStringLiteral("Do not keep the water running. Fill a cup with water to rinse when "
                        "brushing teeth.")},
        {QStringLiteral("Tap"),
         QStringLiteral("Fix dripping taps quickly. A tap that drips once a second wastes "
                        "thousands of litres of water a year.")},
        {QStringLiteral("WashingMachine"), washAt40Tip()},
        {QStringLiteral("WashingMachine"), fullLoadTip()},
        {QStringLiteral("DishWashing"),
         QStringLiteral("Fill the sink or a basin to wash and rinse the dishes instead of "
                        "leaving the tap running.")},
        {QStringLiteral("DishWashing"),
         QStringLiteral("Scrape plates into the bin instead of rinsing them, and run the "
                        "dishwasher only when it is full.")},
        {QStringLiteral("Shower"), QStringLiteral("Install water-saving shower heads")},
        {QStringLiteral("Shower"),
         QStringLiteral("Keep showers short and turn the water off while you soap. A shower can "
                        "use around 10 litres of water a minute.")},
        {QStringLiteral("Lawn"),
         QStringLiteral("Water the lawn early in the morning or in the evening, when less water "
                        "is lost to evaporation.")},
        {QStringLiteral("Lawn"),
         QStringLiteral("Let the grass grow a little longer. Taller grass shades the soil and "
                        "keeps it moist for longer.")},
        {QStringLiteral("Lawn"),
         QStringLiteral("Collect rainwater in a covered barrel, so that mosquitoes cannot breed "
                        "in it, and use it to water the garden.")},
        {QStringLiteral("Toilet"),
         QStringLiteral("Don't throw rubbish into the toilet bowl. Put tissues and wipes in a "
                        "bin and save a flush every time.")},
        {QStringLiteral("Toilet"), QStringLiteral("Check for leaks regularly.")},
        {QStringLiteral("Toilet"),
         QStringLiteral("Put a few drops of food colouring in the cistern. If colour shows in the "
                        "bowl after 15 minutes without a flush, the toilet is leaking.")},
        {QStringLiteral("Toilet"),
         QStringLiteral("Use the smaller button of a dual-flush toilet whenever it is enough.")},
    };
    return tips;
}

const QList<Tip> &electricityTips()
{
    static const QList<Tip> tips{
        {QStringLiteral("AirCon"),
         QStringLiteral("Set the thermostat at 25 degree celsius or higher. Every degree raised "
                        "saves about $20 a year!")},
        {QStringLiteral("AirCon"),
         QStringLiteral("Clean the air conditioner’s filters regularly. A clogged filter makes it "
                        "work harder and use more electricity.")},
        {QStringLiteral("All"),
         QStringLiteral("Switch off all appliances at the power socket. Save about $45 a year!")},
        {QStringLiteral("WashingMachine"), washAt40Tip()},
        {QStringLiteral("WashingMachine"), fullLoadTip()},
        {QStringLiteral("Refrigerator"),
         QStringLiteral("Keep the refrigerator door closed as much as possible. Let hot food cool "
                        "a little before you put it in, but refrigerate it within two hours.")},
        {QStringLiteral("Refrigerator"),
         QStringLiteral("Leave a gap between the refrigerator and the wall so the heat can escape, "
                        "and keep the coils at the back free of dust.")},
        {QStringLiteral("Lights"),
         QStringLiteral("Switch the lights off when you leave the room.")},
        {QStringLiteral("Lights"),
         QStringLiteral("Replace old incandescent bulbs with LED bulbs. They give the same light "
                        "with about 75% less electricity.")},
        {QStringLiteral("Laptop"),
         QStringLiteral("Turn on the power-saving mode and let the screen sleep after a few "
                        "minutes without use.")},
        {QStringLiteral("Laptop"),
         QStringLiteral("Unplug the charger when the battery is full. A charger left in the socket "
                        "still draws a little power.")},
        {QStringLiteral("Microwave"), QStringLiteral("Plug out the main switch when not in use")},
        {QStringLiteral("Microwave"),
         QStringLiteral("Reheat small portions in the microwave rather than the oven. It uses "
                        "less energy.")},
        {QStringLiteral("LcdTv"), QStringLiteral("Plug out the main switch when not in use")},
        {QStringLiteral("LcdTv"),
         QStringLiteral("Turn down the screen brightness or choose the energy-saving picture "
                        "mode. A brighter screen uses more electricity.")},
    };
    return tips;
}

const QList<Rate> &rates()
{
    static const QList<Rate> list{
        {QStringLiteral("01/01/2010"), QStringLiteral("water"), QStringLiteral("1.17"),
         QStringLiteral("Published domestic water tariff per cubic metre, January 2010")},
        {QStringLiteral("01/01/2010"), QStringLiteral("electricity"), QStringLiteral("0.2287"),
         QStringLiteral("Published domestic electricity tariff per kWh, January 2010")},
    };
    return list;
}

const QList<Event> &events()
{
    static const QList<Event> list{
        {QStringLiteral("Tourism Compass"),
         QStringLiteral("Register online at the organiser’s web site"),
         QStringLiteral("A programme for travellers and the tourism trade on travelling with a "
                        "lighter footprint – choosing low-carbon transport, saving water and "
                        "energy where you stay, reducing waste and supporting small local "
                        "businesses. Everyone is welcome."),
         QStringLiteral("Free for all"), QStringLiteral("1@17@2010"), QStringLiteral("1@31@2010")},
        {QStringLiteral("Malaysia PowerGen"), QStringLiteral("Ritz Carlton. Kuala Lumpur Malaysia"),
         QStringLiteral("A conference and exhibition for the power generation industry. "
                        "Engineers, utilities, equipment makers and policy makers meet to discuss "
                        "how electricity is generated, carried and used, and how the region’s "
                        "growing demand for power can be met more cleanly and efficiently. "
                        "Sessions cover renewable energy such as solar, hydro and biomass, cleaner "
                        "use of fossil fuels, the reliability of the grid and energy efficiency "
                        "in homes and industry. The exhibition shows equipment and services from "
                        "across the sector and ways to cut its emissions."),
         QStringLiteral("Free for all"), QStringLiteral("3@15@2010"), QStringLiteral("3@16@2010")},
        {QStringLiteral("Energy Storage Forum"), QStringLiteral("Beijing"),
         QStringLiteral("A forum for researchers, utilities and manufacturers on ways to store "
                        "electricity – batteries, pumped hydro, compressed air and flywheels. "
                        "Wind and solar power do not produce electricity at every hour, so "
                        "storing energy when it is plentiful and using it when it is needed "
                        "helps power grids take in more renewable energy. Talks and panels look "
                        "at the technologies, their costs and safety."),
         QStringLiteral("Free for all"), QStringLiteral("3@30@2010"), QStringLiteral("3@31@2010")},
    };
    return list;
}

const QList<QuickFact> &quickFacts()
{
    static const QList<QuickFact> list{
        {QStringLiteral("Many appliances still draw power when they are switched off or on "
                        "standby, like TVs, chargers and computers. Switch them off at the power "
                        "point to stop the waste."),
         QStringLiteral("Vampire appliances draw energy from your points!"),
         QStringLiteral("vampireAppliance.jpg"), QStringLiteral("Vampire Appliances"),
         QStringLiteral("vampire@appliances@powerpoint")},
        {QStringLiteral("During Green Hour, households switch off their lights and unneeded "
                        "appliances for one hour to save energy and think about our planet."),
         QStringLiteral("During Green Hour, we should stop using the earths resources"),
         QStringLiteral("greenHour.jpg"), QStringLiteral("Green Hour"),
         QStringLiteral("green@hour")},
        {QStringLiteral(
             "Global warming is the rise in the average temperature of the Earth’s surface. "
             "Burning coal, oil and gas for electricity, transport and industry, and cutting "
             "down forests, add carbon dioxide and other greenhouse gases to the air. These "
             "gases trap heat that would otherwise escape into space. Over the hundred years "
             "1906–2005 the average surface temperature rose by about 0.74 ± 0.18°C, and it "
             "has gone on rising since. The warming melts mountain glaciers and the ice sheets "
             "of Greenland and Antarctica, and the sea ice of the Arctic has been shrinking "
             "for decades. Melting land ice and the expansion of warmer sea water raise the sea "
             "level, which threatens low coasts and islands. A warmer climate also brings more "
             "heatwaves and heavier downpours in many places. Every household can help: "
             "saving electricity and water, walking, cycling or taking public transport, and "
             "wasting less all cut the greenhouse gases that cause global warming."),
         QStringLiteral("Global warming is responsible for ice cap melting"),
         QStringLiteral("Global_Warming_Map.png"), QStringLiteral("Global Warming"),
         QStringLiteral("global@warming")},
        {QStringLiteral(
             "A hybrid electric vehicle combines a petrol or diesel engine with an electric "
             "motor and a battery. The motor helps the engine when the car starts off and speeds "
             "up, and in many hybrids it can drive the car on its own at low speeds. When the "
             "car brakes, the motor works as a generator and charges the battery instead of "
             "wasting the energy as heat. The engine can also switch off while the car stands "
             "still. A hybrid therefore burns less fuel and gives off less carbon dioxide, above "
             "all in stop-and-go city traffic."),
         QStringLiteral("HEV stands for Hybrid Electric Vehicles"), QStringLiteral("HEV.png"),
         QStringLiteral("Hybrid Electric Vehicle"), QStringLiteral("HEV@hybrid@electric")},
    };
    return list;
}

const QList<QuizQuestion> &quizQuestions()
{
    static const QList<QuizQuestion> list{
        {QStringLiteral(
             "Which natural resource is not an ingredient in manufacturing glass bottles?"),
         QStringLiteral("Sand"), QStringLiteral("Dirt"), QStringLiteral("Soda Ash"),
         QStringLiteral("Limestone"), QStringLiteral("Dirt")},
        {QStringLiteral("How many years does it take a single aluminium can to decompose?"),
         QStringLiteral("1-2 years"), QStringLiteral("10-20 years"), QStringLiteral("50 years"),
         QStringLiteral("200-500 years"), QStringLiteral("200-500 years")},
        {QStringLiteral("If you recycle a tonne of paper, how many trees are you saving?"),
         QStringLiteral("About 5"), QStringLiteral("About 17"), QStringLiteral("About 50"),
         QStringLiteral("About 100"), QStringLiteral("About 17")},
        {QStringLiteral("Recycling just one aluminium can saves enough energy to run a "
                        "television for how long?"),
         QStringLiteral("About 3 minutes"), QStringLiteral("About 30 minutes"),
         QStringLiteral("About 3 hours"), QStringLiteral("About 3 days"),
         QStringLiteral("About 3 hours")},
        {QStringLiteral("When recycling glass it is common to sort bottles by colour, but which "
                        "colour is NOT common for sorting?"),
         QStringLiteral("Clear"), QStringLiteral("Green"), QStringLiteral("Brown"),
         QStringLiteral("Blue"), QStringLiteral("Blue")},
        {QStringLiteral("Recycling just two glass bottles saves enough energy to boil water for "
                        "how many cups of tea?"),
         QStringLiteral("1 cup"), QStringLiteral("5 cups"), QStringLiteral("20 cups"),
         QStringLiteral("50 cups"), QStringLiteral("5 cups")},
        {QStringLiteral(
             "Most of the energy used on Earth today originally came from which source?"),
         QStringLiteral("The Moon"), QStringLiteral("Volcanoes"), QStringLiteral("The Sun"),
         QStringLiteral("Lightning"), QStringLiteral("The Sun")},
        {QStringLiteral("How long does it take for a polythene bag to degrade completely in the "
                        "environment?"),
         QStringLiteral("About a month"), QStringLiteral("About a year"),
         QStringLiteral("About a week"), QStringLiteral("Hundreds of years"),
         QStringLiteral("Hundreds of years")},
        {QStringLiteral(
             "The energy produced from recycling 1 aluminium can powers your TV for how long?"),
         QStringLiteral("1 hour"), QStringLiteral("3 hours"), QStringLiteral("10 hours"),
         QStringLiteral("24 hours"), QStringLiteral("3 hours")},
        {QStringLiteral("How much household waste does a average person create a year?"),
         QStringLiteral("A few kilograms"), QStringLiteral("Tens of kilograms"),
         QStringLiteral("Hundreds of kilograms"), QStringLiteral("Tens of tonnes"),
         QStringLiteral("Hundreds of kilograms")},
        {QStringLiteral("What kind of furniture can save trees AND space in landfills?"),
         QStringLiteral("Second-hand"), QStringLiteral("First-hand"),
         QStringLiteral("Good Material"), QStringLiteral("I don't care"),
         QStringLiteral("Second-hand")},
        {QStringLiteral("What is the world fastest growing energy source?"),
         QStringLiteral("Solar"), QStringLiteral("Water"), QStringLiteral("Wind"),
         QStringLiteral("Coal"), QStringLiteral("Wind")},
        {QStringLiteral("A cotton T-shirt blended with polyester can release about 10 times its "
                        "weight of what pollutant?"),
         QStringLiteral("Carbon dioxide"), QStringLiteral("Mercury"), QStringLiteral("Lead"),
         QStringLiteral("Soot"), QStringLiteral("Carbon dioxide")},
        {QStringLiteral(
             "What kind of light bulb lasts up to 10 times longer than a regular incandescent?"),
         QStringLiteral("Halogen"), QStringLiteral("Compact fluorescent"),
         QStringLiteral("Coloured incandescent"), QStringLiteral("Heat lamp"),
         QStringLiteral("Compact fluorescent")},
        {QStringLiteral("Known for being small, what popular seafood is creating BIG problems "
                        "for the health of ocean habitats and wildlife?"),
         QStringLiteral("Tuna"), QStringLiteral("Salmon"), QStringLiteral("Shrimp"),
         QStringLiteral("Swordfish"), QStringLiteral("Shrimp")},
    };
    return list;
}

const QList<Craft> &crafts()
{
    static const QList<Craft> list{
        {QStringLiteral("Baby Food Jar Animals"),
         QStringLiteral("Make a pet out of a baby food jar. Cute and easy way."),
         QStringLiteral("Glass"),
         QStringLiteral("Clean baby food jar with lid, felt or coloured paper, scissors, pom-poms, "
                        "googly eyes, pipe cleaners, craft glue, paint"),
         QStringLiteral("Wash the jar and its lid in warm soapy water, peel off the label and let "
                        "both dry. Choose an animal, such as a lion, a frog or a pig. Cut ears and "
                        "feet out of felt or coloured paper and glue them on to the jar. "
                        "Add googly eyes and a pom-pom nose, and twist pipe cleaners into "
                        "whiskers, a tail or antennae. Paint or cover the lid to match the animal "
                        "and let the glue dry completely. Your pet can hold sweets, buttons, hair "
                        "ties or other small treasures."),
         craftPicture("jar_animals.JPG"), QString(), QString()},
        {QStringLiteral("Teacher Rubber Stamp Jar"),
         QStringLiteral("Turn an empty glass jar into a colourful holder for a teacher’s rubber "
                        "stamps. A thoughtful thank-you gift."),
         QStringLiteral("Glass"),
         QStringLiteral("Empty glass jar with lid, rubber stamps, ink pad, coloured paper, ribbon, "
                        "scissors, craft glue, marker pen"),
         QStringLiteral("Wash the jar, remove the label and dry it well. Cut a strip of coloured "
                        "paper long enough to wrap around the jar and decorate it with your "
                        "rubber stamps: stars, apples, smiley faces or a short message such as "
                        "\"Thank you!\". Let the ink dry, then glue the strip around the jar. "
                        "Cover the top of the lid with a circle of paper and tie a ribbon around "
                        "the neck of the jar. Put the stamps and a small ink pad inside and add a "
                        "handwritten tag with your name."),
         craftPicture("teacher_jar.JPG"), QString(), QString()},
        {QStringLiteral("Greeting Card Puzzles"),
         QStringLiteral("Give old greeting cards a second life as jigsaw puzzles. A great use for "
                        "the pictures you kept after a birthday or holiday."),
         QStringLiteral("Paper"),
         QStringLiteral("Old greeting cards, thin cardboard from a cereal box, glue stick, pencil, "
                        "scissors, envelope or small box"),
         QStringLiteral("Cut the picture side off an old greeting card. For a sturdier puzzle, "
                        "glue it on to a piece of cereal box card of the same size and let it dry "
                        "under a heavy book. On the back, draw puzzle pieces with a pencil: a few "
                        "big pieces for small children, more and smaller pieces for older ones. "
                        "Cut carefully along the lines with scissors. Mix up the pieces and keep "
                        "them in an envelope or a small box with a picture of the card on the "
                        "front, so that you know which puzzle is inside."),
         craftPicture("cards_puzzles.JPG"), QString(), QString()},
        {QStringLiteral("Recycled Stationery"),
         QStringLiteral("Make your own writing paper and envelopes from paper that is printed on "
                        "one side only. Decorate them with bears or any pattern you like."),
         QStringLiteral("Paper"),
         QStringLiteral("Paper printed on one side, magazine pages, glue stick, scissors, "
                        "ruler, pencil, crayons or rubber stamps, ink pad, stickers, string"),
         QStringLiteral("Collect sheets that are printed on one side only and trim them to the "
                        "same size with a ruler and scissors: these are your note sheets, clean "
                        "side up. Draw a small picture, such as a bear, in a corner of each sheet "
                        "with crayons or a rubber stamp. To make an envelope, lay a folded note "
                        "sheet in the middle of a colourful magazine page, fold the left and right "
                        "sides over it and then fold the bottom flap up. Glue the edges of the "
                        "bottom flap and let it dry. Once your letter is inside, fold the top "
                        "flap down and close it with a sticker. Tie a set of sheets and envelopes "
                        "with string to give as a gift."),
         craftPicture("stationery_bears.jpg"), QString(), QString()},
        {QStringLiteral("Recycled Utensil Holder"),
         QStringLiteral("Turn empty cans into a tidy holder for kitchen spoons, pens or paint "
                        "brushes."),
         QStringLiteral("Aluminium"),
         QStringLiteral("Three clean empty cans, strong tape, coloured paper or fabric scraps, "
                        "scissors, craft glue, ribbon, a piece of cardboard"),
         QStringLiteral("Ask an adult to check the cans: the rims must be smooth, with no sharp "
                        "edges. Cover each rim with a strip of strong tape to be safe. Wash and "
                        "dry the cans and remove the labels. Cut coloured paper or fabric to wrap "
                        "around each can and glue it in place. Stand the three cans side by side, "
                        "glue them together and tie a ribbon around them. Glue them on to a piece "
                        "of cardboard so that they stand firmly. Use one can for spoons, one for "
                        "forks and one for other kitchen tools, or fill them with pens and "
                        "brushes for your desk."),
         craftPicture("recycle_utensil_holder.jpg"), QString(), QString()},
        {QStringLiteral("Dad Remote Control Holder"),
         QStringLiteral("A gift for Dad: a holder made of cans that keeps the remote controls in "
                        "one place, so they never get lost down the sofa again."),
         QStringLiteral("Aluminium"),
         QStringLiteral("Two or three clean empty cans with smooth rims, strong tape, cardboard, "
                        "coloured paper, scissors, craft glue, markers, stickers"),
         QStringLiteral("Ask an adult to check that the cans have no sharp edges, and tape over "
                        "each rim. Wash and dry the cans. Cover each can with coloured paper and "
                        "write a label on it, such as TV, DVD or Music, or decorate it with Dad’s "
                        "name. Glue the cans side by side on to a strip of stiff cardboard so that "
                        "the holder does not tip over, and hold them together with tape until the "
                        "glue is dry. Add stickers or drawings. Place the holder beside Dad’s "
                        "chair and put a remote control in each can."),
         craftPicture("dad_remote_holder.JPG"), QString(), QString()},
        {QStringLiteral("Recycled Box Necklace"),
         QStringLiteral("Cut a heart out of an empty cereal box and turn it into a pretty pendant "
                        "for a necklace."),
         QStringLiteral("Paper"),
         QStringLiteral("Cereal box or thin cardboard, pencil, scissors, craft glue, paint or "
                        "markers, glitter glue, magazine paper, hole punch, string or ribbon"),
         QStringLiteral("Draw a heart about the size of a matchbox on the plain side of a cereal "
                        "box and cut it out. Use it as a pattern to cut a second heart, and glue "
                        "the two together with the printed sides inwards, so the pendant is "
                        "stronger and plain on both sides. Paint or colour the heart and decorate "
                        "it with glitter glue or small pieces of magazine paper. When it is dry, "
                        "punch a hole near the top. Thread a piece of string or ribbon through the "
                        "hole, long enough to slip over your head, and tie the ends with a knot."),
         craftPicture("j_heart.jpg"), QString(), QString()},
        {QStringLiteral("CD Holder for Your Room"),
         QStringLiteral("Cut down a cereal box to make a neat holder for your CDs and cover it in "
                        "your favourite colours."),
         QStringLiteral("Paper"),
         QStringLiteral("Empty cereal box, ruler, pencil, scissors, wrapping paper or old magazine "
                        "pages, glue stick, tape, stickers"),
         QStringLiteral("Stand a CD case against the side of the cereal box and mark the front of "
                        "the box a little lower than the top of the case, so that the CDs are "
                        "easy to pull out. On both sides, draw a slanting line from the top of the "
                        "back of the box down to the mark at the front, and cut along the lines. "
                        "Tape down any loose flaps. Cover the box inside and out with wrapping "
                        "paper or magazine pages and glue them down smoothly. Decorate it with "
                        "stickers or your name and fill it with CDs."),
         craftPicture("cd_holder_room.JPG"), QString(), QString()},
        {QStringLiteral("Toothbrush Bracelets"),
         QStringLiteral("Bend old plastic toothbrushes into bright bangles. An adult handles the "
                        "hot water and shapes the hot plastic; you decorate them."),
         QStringLiteral("Plastic"),
         QStringLiteral("Old plastic toothbrushes with straight handles, pliers, a pot of water, "
                        "tongs, oven gloves, a glass jar, sandpaper, permanent markers"),
         QStringLiteral(
             "Older toothbrushes of clear plastic without rubber grips work best. Ask an adult "
             "to pull out the bristles with pliers and to boil a pot of water. The adult puts "
             "the toothbrushes into the water for about ten minutes until they soften, then "
             "lifts one out with tongs and, wearing oven gloves, wraps it quickly around a glass "
             "jar and holds it there until it cools and keeps its bracelet shape. If it stiffens "
             "too soon, the adult puts it back into the hot water. When it is cool, smooth any "
             "rough ends with sandpaper. Decorate the bracelets with permanent markers if you "
             "like."),
         craftPicture("toothbrush_bracelet_1.jpg"), craftPicture("toothbrush_bracelet_2.jpg"),
         QString()},
        {QStringLiteral("Recycled CD Card"),
         QStringLiteral("Use an old scratched CD to make a shiny greeting card. Search for a video "
                        "to see how it is done."),
         QStringLiteral("Others"),
         QStringLiteral("Old CD, coloured card, strong glue or glue dots, scissors, markers, "
                        "glitter, ribbon, stickers"),
         QStringLiteral("-"), craftPicture("recycled_CD_Card.jpg"), QString(),
         QStringLiteral("https://www.youtube.com/results?search_query=recycled+cd+card+craft")},
        {QStringLiteral("Potato container car"),
         QStringLiteral("Build a racing car from an empty potato crisps container, with "
                        "bottle-cap wheels that really roll."),
         QStringLiteral("Plastic"),
         QStringLiteral("Empty potato crisps container with lid, four plastic bottle caps, two "
                        "wooden skewers, two drinking straws, tape, scissors, paint, card"),
         QStringLiteral("Wipe the inside of the container clean and put the lid on. Lay it on its "
                        "side: this is the body of the car. Ask an adult to make two pairs of "
                        "holes through the body, one pair near each end, with the point of a "
                        "skewer. Push a drinking straw through each pair of holes and trim it so "
                        "that it sticks out a little on both sides. Slide a skewer through each "
                        "straw to make the axles. Ask an adult to make a hole in the middle of "
                        "each bottle cap, push a cap on to each end of the skewers for wheels and "
                        "snip off the sharp points. Paint the car, add a driver cut from card and "
                        "let it roll."),
         craftPicture("recycled_potato_container_car.jpg"), QString(),
         QStringLiteral("https://www.youtube.com/results?search_query=potato+crisps+container+car+craft")},
        {QStringLiteral("Rag Doll"),
         QStringLiteral("Sew a soft rag doll from old clothes that nobody wears any more. Every "
                        "doll turns out different."),
         QStringLiteral("Clothes"),
         QStringLiteral("Old T-shirt or other cotton clothes, fabric scraps, wool for hair, needle "
                        "and thread, scissors, pins, stuffing or rags"),
         QStringLiteral(
             "Fold an old T-shirt in two, right side inwards, and draw a simple doll shape on "
             "it: a round head, a body, two arms and two legs, a little bigger than you want the "
             "doll to be. Pin the two layers together and cut out the shape. With an adult’s "
             "help, sew around the edge about one centimetre in, leaving a gap at one side. Turn "
             "the doll right side out so the seam is hidden, fill it with stuffing or small rags "
             "and sew the gap closed. Stitch on wool for hair, and sew or draw on eyes and a "
             "smile. Make clothes for the doll from fabric scraps."),
         craftPicture("rag_doll.jpg"), craftPicture("rag_doll2.jpg"), QString()},
    };
    return list;
}

} // namespace Seed
